// A late-bound client of plgRefertiLirvo.dll, run under Wine by CTest. It
// reaches the component as a script would: ProgID, CoCreateInstance,
// GetIDsOfNames, Invoke.
//
//   com_client session DLL     registers DLL in process, drives clsAES,
//                              unregisters it and checks the registry
//   com_client registered DLL  checks what regsvr32 wrote for DLL
//   com_client unregistered    checks that nothing of the component is left
//   com_client call NAME TEXT  prints clsAES.NAME(TEXT) as UTF-8
//
// Exit status 0 when every check passed, 1 otherwise (each failure is
// written to standard error), 2 for a wrong command line.
#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win/com_ids.h"

namespace {

using namespace lirvo::win;  // the ids of com_ids.h

int g_failures = 0;

std::string Narrow(const std::wstring& wide) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}

void Check(bool ok, const std::wstring& what) {
  if (ok) return;
  ++g_failures;
  std::fprintf(stderr, "FAILED: %s\n", Narrow(what).c_str());
}

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  ::StringFromGUID2(guid, text, 40);
  return text;
}

// A VARIANT that clears itself.
struct Variant {
  VARIANT v;
  Variant() { ::VariantInit(&v); }
  explicit Variant(const std::wstring& text) : Variant() {
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  static Variant Bool(bool value) {
    Variant out;
    V_VT(&out.v) = VT_BOOL;
    V_BOOL(&out.v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return out;
  }
  static Variant Long(LONG value) {
    Variant out;
    V_VT(&out.v) = VT_I4;
    V_I4(&out.v) = value;
    return out;
  }
  Variant(const Variant& other) : Variant() { ::VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
  Variant& operator=(const Variant& other) {
    if (this != &other) ::VariantCopy(&v, const_cast<VARIANT*>(&other.v));
    return *this;
  }
  ~Variant() { ::VariantClear(&v); }

  std::wstring Text() const {
    return V_VT(&v) == VT_BSTR && V_BSTR(&v) != nullptr
               ? std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v)))
               : L"<not text>";
  }
  bool IsTrue() const { return V_VT(&v) == VT_BOOL && V_BOOL(&v) == VARIANT_TRUE; }
  bool IsFalse() const { return V_VT(&v) == VT_BOOL && V_BOOL(&v) == VARIANT_FALSE; }
};

struct Outcome {
  HRESULT hr = E_FAIL;
  Variant result;
  SCODE scode = 0;
  std::wstring source;
  std::wstring description;
};

// `name`(args...) on `object`, arguments given first to last.
Outcome Call(IDispatch* object, const std::wstring& name, std::vector<Variant> args) {
  Outcome out;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
  DISPID id = DISPID_UNKNOWN;
  out.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(out.hr)) return out;
  // DISPPARAMS holds the arguments last-first.
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->v);
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  EXCEPINFO info{};
  UINT arg_err = 0;
  out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                          &params, &out.result.v, &info, &arg_err);
  if (out.hr == DISP_E_EXCEPTION) {
    out.scode = info.scode;
    if (info.bstrSource) out.source = info.bstrSource;
    if (info.bstrDescription) out.description = info.bstrDescription;
  }
  ::SysFreeString(info.bstrSource);
  ::SysFreeString(info.bstrDescription);
  ::SysFreeString(info.bstrHelpFile);
  return out;
}

std::wstring CallText(IDispatch* object, const std::wstring& name, std::vector<Variant> args) {
  const Outcome out = Call(object, name, std::move(args));
  Check(out.hr == S_OK, name + L" returned " + Hex(out.hr) + L" " + out.description);
  return out.result.Text();
}

IDispatch* CreateByProgId() {
  CLSID clsid{};
  HRESULT hr = ::CLSIDFromProgID(kProgIdAes, &clsid);
  Check(hr == S_OK, L"CLSIDFromProgID: " + Hex(hr));
  Check(IsEqualCLSID(clsid, kClsidAes), L"the ProgID names the class id " + GuidText(clsid));
  IDispatch* object = nullptr;
  hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&object));
  Check(hr == S_OK && object != nullptr, L"CoCreateInstance: " + Hex(hr));
  return SUCCEEDED(hr) ? object : nullptr;
}

// The text value `name` of HKEY_CLASSES_ROOT\`path`; nothing when absent.
bool ReadClassesValue(const std::wstring& path, const wchar_t* name, std::wstring& value) {
  wchar_t data[1024];
  DWORD size = sizeof(data);
  if (::RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  value = data;
  return true;
}

bool HasClassesKey(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(key);
  return true;
}

// The public classes: class id, ProgID, dispinterface.
struct PublicClass {
  const GUID& clsid;
  const wchar_t* prog_id;
  const GUID& interface_id;
};
const PublicClass kPublicClasses[] = {
    {kClsidPlugin, kProgIdPlugin, kDiidPlugin},
    {kClsidConfig, kProgIdConfig, kDiidConfig},
    {kClsidTrascodifica, kProgIdTrascodifica, kDiidTrascodifica},
    {kClsidItemTrascodifica, kProgIdItemTrascodifica, kDiidItemTrascodifica},
    {kClsidAes, kProgIdAes, kDiidAes},
};

// The keys a registration writes for each public class, with what they must
// hold, and the type library with each class.
void CheckRegistered(const std::wstring& dll) {
  for (const PublicClass& c : kPublicClasses) {
    const std::wstring clsid_key = L"CLSID\\" + GuidText(c.clsid);
    struct {
      std::wstring path;
      const wchar_t* name;
      std::wstring expected;
    } const values[] = {
        {std::wstring(c.prog_id) + L"\\CLSID", nullptr, GuidText(c.clsid)},
        {clsid_key + L"\\InprocServer32", nullptr, dll},
        {clsid_key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid_key + L"\\ProgID", nullptr, c.prog_id},
        {clsid_key + L"\\TypeLib", nullptr, GuidText(kLibId)},
    };
    for (const auto& v : values) {
      std::wstring value;
      const bool found = ReadClassesValue(v.path, v.name, value);
      const std::wstring what = v.path + L" " + (v.name ? v.name : L"(default)");
      Check(found, what + L" is missing");
      if (found) {
        Check(::CompareStringOrdinal(value.c_str(), -1, v.expected.c_str(), -1, TRUE) == CSTR_EQUAL,
              what + L" is " + value + L", not " + v.expected);
      }
    }
  }
  ITypeLib* library = nullptr;
  const HRESULT hr = ::LoadRegTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, &library);
  Check(hr == S_OK, L"the registered type library does not load: " + Hex(hr));
  if (library == nullptr) return;
  BSTR name = nullptr;
  library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  Check(name != nullptr && std::wstring(name) == L"plgRefertiLirvo",
        L"the type library's name is " + std::wstring(name ? name : L"<none>"));
  ::SysFreeString(name);
  for (const PublicClass& c : kPublicClasses) {
    ITypeInfo* info = nullptr;
    Check(library->GetTypeInfoOfGuid(c.clsid, &info) == S_OK,
          std::wstring(L"the library has no ") + c.prog_id);
    if (info) info->Release();
  }
  library->Release();
}

void CheckUnregistered() {
  Check(!HasClassesKey(L"TypeLib\\" + GuidText(kLibId)), L"the type library is left");
  for (const PublicClass& c : kPublicClasses) {
    const std::wstring keys[] = {c.prog_id, L"CLSID\\" + GuidText(c.clsid),
                                 L"Interface\\" + GuidText(c.interface_id)};
    for (const std::wstring& key : keys) Check(!HasClassesKey(key), key + L" is left");
    CLSID clsid{};
    Check(::CLSIDFromProgID(c.prog_id, &clsid) != S_OK,
          std::wstring(c.prog_id) + L" still resolves");
  }
}

std::wstring ReadFileText(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return L"<missing>";
  std::string bytes(1 << 16, '\0');
  DWORD n = 0;
  ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  ::CloseHandle(file);
  return std::wstring(bytes.begin(), bytes.begin() + n);  // ASCII content only
}

void WriteFileText(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  ::CloseHandle(file);
}

void CheckStrings(IDispatch* aes) {
  // Round trips, and the ciphertext's length: 14 characters fill one block
  // (44 Base64 characters), 15 need two.
  const struct {
    std::wstring text;
    size_t base64_length;
  } cases[] = {
      {L"", 44},
      {L"abcdefghijklmn", 44},
      {L"abcdefghijklmno", 88},
      {L"Però è già qui\r\nriga due", 88},
      {L"\U0001D11E chiave", 44},
  };
  for (const auto& c : cases) {
    const std::wstring cipher = CallText(aes, L"EncryptStr", {Variant(c.text)});
    Check(cipher.size() == c.base64_length, L"EncryptStr of \"" + c.text + L"\" has " +
                                                std::to_wstring(cipher.size()) + L" characters");
    Check(CallText(aes, L"DecryptStr", {Variant(cipher)}) == c.text,
          L"DecryptStr does not give back \"" + c.text + L"\"");
  }

  // Names in any letter case reach the same member; the type library gives
  // each member the id the object resolves.
  ITypeInfo* info = nullptr;
  HRESULT hr = aes->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info);
  Check(hr == S_OK && info != nullptr, L"GetTypeInfo: " + Hex(hr));
  if (info) {
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    Check(attr && attr->cFuncs == 8, L"the dispinterface has not 8 members");
    for (WORD f = 0; attr && f < attr->cFuncs; ++f) {
      FUNCDESC* desc = nullptr;
      info->GetFuncDesc(f, &desc);
      BSTR name = nullptr;
      UINT got = 0;
      info->GetNames(desc->memid, &name, 1, &got);
      std::wstring lower(name);
      ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
      for (const std::wstring& spelling : {std::wstring(name), lower}) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(spelling.c_str())};
        DISPID id = DISPID_UNKNOWN;
        hr = aes->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        Check(hr == S_OK && id == desc->memid, spelling + L" resolves to " + std::to_wstring(id));
      }
      ::SysFreeString(name);
      info->ReleaseFuncDesc(desc);
    }
    if (attr) info->ReleaseTypeAttr(attr);
    info->Release();
  }
  Check(CallText(aes, L"dECRYPTsTR", {Variant(CallText(aes, L"ENCRYPTSTR", {Variant(L"x")}))}) ==
            L"x",
        L"calls by names in other letter cases");
  Check(Call(aes, L"EncryptString", {Variant(L"x")}).hr == DISP_E_UNKNOWNNAME,
        L"an unknown name resolves");

  // Arguments by reference, to a variant or to a string, and a number that
  // becomes text.
  Variant text(L"per riferimento");
  Variant by_variant;
  V_VT(&by_variant.v) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&by_variant.v) = &text.v;
  BSTR bstr = V_BSTR(&text.v);
  Variant by_bstr;
  V_VT(&by_bstr.v) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&by_bstr.v) = &bstr;
  for (const Variant* arg : {&by_variant, &by_bstr}) {
    Outcome out = Call(aes, L"EncryptStr", {*arg});
    Check(out.hr == S_OK, L"EncryptStr by reference: " + Hex(out.hr));
    Check(CallText(aes, L"DecryptStr", {out.result}) == L"per riferimento",
          L"a by-reference argument comes through");
  }
  Check(CallText(aes, L"DecryptStr",
                 {Variant(CallText(aes, L"EncryptStr", {Variant::Long(42)}))}) == L"42",
        L"a number argument becomes its text");

  Check(CallText(aes, L"plbEncodeStrB64", {Variant(L"però")}) == L"cGVy8g==",
        L"plbEncodeStrB64 of \"però\"");
  Check(CallText(aes, L"plbDecodeStrB64", {Variant(L"cGVy8g==")}) == L"però",
        L"plbDecodeStrB64 of \"cGVy8g==\"");
}

// The three-argument members take their arguments in the caller's order:
// swapped paths or a flag in the wrong place would fail.
void CheckFiles(IDispatch* aes, const std::wstring& folder) {
  const std::wstring plain = folder + L"\\com_client_plain.txt";
  const std::wstring cipher = folder + L"\\com_client_plain.enc";
  const std::wstring back = folder + L"\\com_client_back.txt";
  WriteFileText(plain, "riga uno\r\nriga due\r\n");
  ::DeleteFileW(cipher.c_str());
  ::DeleteFileW(back.c_str());
  const struct {
    const wchar_t* member;
    std::wstring in, out;
    bool overwrite;
    bool expected;
  } steps[] = {
      {L"EncryptFile", plain, cipher, false, true},
      {L"EncryptFile", plain, cipher, false, false},  // exists, no overwrite
      {L"EncryptFile", plain, cipher, true, true},
      {L"DecryptFile", cipher, back, false, true},
      {L"DecryptFile", folder + L"\\com_client_missing.enc", back, true, false},
  };
  for (const auto& s : steps) {
    const Outcome out =
        Call(aes, s.member, {Variant(s.in), Variant(s.out), Variant::Bool(s.overwrite)});
    Check(out.hr == S_OK && (s.expected ? out.result.IsTrue() : out.result.IsFalse()),
          std::wstring(s.member) + L"(" + s.in + L", " + s.out + L") is not " +
              (s.expected ? L"True" : L"False") + L" " + Hex(out.hr));
  }
  Check(ReadFileText(back) == L"riga uno\r\nriga due\r\n", L"DecryptFile gives the file back");
  Check(CallText(aes, L"DecryptFileStr", {Variant(cipher)}) == L"riga uno\r\nriga due\r\n",
        L"DecryptFileStr gives the text back");
  for (const std::wstring& f : {plain, cipher, back}) ::DeleteFileW(f.c_str());
}

// Failures reach the caller as the runtime's errors, never as a crash.
void CheckErrors(IDispatch* aes) {
  Variant object;
  V_VT(&object.v) = VT_DISPATCH;
  V_DISPATCH(&object.v) = aes;
  aes->AddRef();
  Variant null;
  V_VT(&null.v) = VT_NULL;
  const struct {
    const wchar_t* what;
    const wchar_t* member;
    std::vector<Variant> args;
    HRESULT hr;
    unsigned long scode;
    std::wstring description;
  } cases[] = {
      {L"an object as text",
       L"EncryptStr",
       {object},
       DISP_E_EXCEPTION,
       0x800A000D,
       L"Tipo non corrispondente"},
      {L"Null as text",
       L"DecryptStr",
       {null},
       DISP_E_EXCEPTION,
       0x800A005E,
       L"Utilizzo non valido di Null"},
      {L"a word as a flag",
       L"EncryptFile",
       {Variant(L"a"), Variant(L"b"), Variant(L"forse")},
       DISP_E_EXCEPTION,
       0x800A000D,
       L"Tipo non corrispondente"},
      {L"no argument", L"EncryptStr", {}, DISP_E_BADPARAMCOUNT, 0, L""},
      {L"two arguments",
       L"DecryptStr",
       {Variant(L"a"), Variant(L"b")},
       DISP_E_BADPARAMCOUNT,
       0,
       L""},
  };
  for (const auto& c : cases) {
    const Outcome out = Call(aes, c.member, c.args);
    Check(out.hr == c.hr, std::wstring(c.what) + L": " + Hex(out.hr));
    Check(static_cast<unsigned long>(out.scode) == c.scode,
          std::wstring(c.what) + L": error " + Hex(out.scode));
    Check(out.description == c.description,
          std::wstring(c.what) + L": description \"" + out.description + L"\"");
    if (c.hr == DISP_E_EXCEPTION) {
      Check(out.source == kProgIdAes, std::wstring(c.what) + L": source " + out.source);
    }
  }
}

int Session(const std::wstring& dll_path) {
  HMODULE dll = ::LoadLibraryW(dll_path.c_str());
  Check(dll != nullptr, L"LoadLibrary " + dll_path);
  if (dll == nullptr) return 1;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto entry = [dll](const char* name) {
    const auto proc = reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
    Check(proc != nullptr, L"no entry point " + std::wstring(name, name + strlen(name)));
    return proc;
  };
  const Entry can_unload = entry("DllCanUnloadNow");
  const Entry register_server = entry("DllRegisterServer");
  const Entry unregister_server = entry("DllUnregisterServer");
  Check(::GetProcAddress(dll, "DllGetClassObject") != nullptr, L"no DllGetClassObject");
  if (!can_unload || !register_server || !unregister_server) return 1;

  Check(register_server() == S_OK, L"DllRegisterServer");
  wchar_t loaded[MAX_PATH];
  ::GetModuleFileNameW(dll, loaded, MAX_PATH);
  CheckRegistered(loaded);

  Check(can_unload() == S_OK, L"DllCanUnloadNow before any object");
  if (IDispatch* aes = CreateByProgId()) {
    Check(can_unload() == S_FALSE, L"DllCanUnloadNow with an object alive");
    CheckStrings(aes);
    wchar_t temp[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, temp);
    CheckFiles(aes, std::wstring(temp, n > 0 ? n - 1 : 0));
    CheckErrors(aes);
    aes->Release();
  }
  Check(can_unload() == S_OK, L"DllCanUnloadNow after the last object");

  Check(unregister_server() == S_OK, L"DllUnregisterServer");
  CheckUnregistered();
  return g_failures == 0 ? 0 : 1;
}

// clsAES.`member`(`text`), written to standard output as UTF-8.
int CallAndPrint(const std::wstring& member, const std::wstring& text) {
  IDispatch* aes = CreateByProgId();
  if (aes == nullptr) return 1;
  const std::string out = Narrow(CallText(aes, member, {Variant(text)}));
  aes->Release();
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()),
              &written, nullptr);
  return g_failures == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) != S_OK) {
    std::fprintf(stderr, "CoInitializeEx failed\n");
    return 1;
  }
  int status = 2;
  if (mode == L"session" && argc == 3) {
    status = Session(argv[2]);
  } else if (mode == L"registered" && argc == 3) {
    CheckRegistered(argv[2]);
    if (IDispatch* aes = CreateByProgId()) {
      Check(CallText(aes, L"DecryptStr",
                     {Variant(CallText(aes, L"EncryptStr", {Variant(L"ok")}))}) == L"ok",
            L"a round trip through the registered class");
      aes->Release();
    }
    status = g_failures == 0 ? 0 : 1;
  } else if (mode == L"unregistered" && argc == 2) {
    CheckUnregistered();
    status = g_failures == 0 ? 0 : 1;
  } else if (mode == L"call" && argc == 4) {
    status = CallAndPrint(argv[2], argv[3]);
  } else {
    std::fprintf(stderr,
                 "usage: com_client session DLL | registered DLL | unregistered | "
                 "call MEMBER TEXT\n");
  }
  ::CoUninitialize();
  return status;
}
