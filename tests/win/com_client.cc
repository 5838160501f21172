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
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "win/com_ids.h"
#include "win/late_bound.h"
#include "win/wide_text.h"
#include "win_check.h"

namespace {

using namespace lirvo::win;  // the ids of com_ids.h, LateBound
using lirvo::host::Variant;
using lirvo::wintest::ErrorOf;
using lirvo::wintest::g_failures;

void Check(bool ok, const std::wstring& what) { lirvo::wintest::Check(ok, Utf8(what)); }

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

// The text `member`(`args`...) answers; a failure is counted and gives "".
std::string CallText(LateBound& object, const char* member, const Args& args) {
  std::string text, description;
  const int error =
      ErrorOf([&] { text = lirvo::host::ToText(object.Call(member, args)); }, &description);
  Check(error == 0,
        Wide(std::string(member) + " raised " + std::to_string(error) + " " + description));
  return text;
}

// clsAES created by its ProgID, which must name its class id; null when it
// cannot be created.
std::unique_ptr<LateBound> CreateAes() {
  CLSID clsid{};
  HRESULT hr = ::CLSIDFromProgID(kProgIdAes, &clsid);
  Check(hr == S_OK, L"CLSIDFromProgID: " + Hex(hr));
  Check(IsEqualCLSID(clsid, kClsidAes), L"the ProgID names the class id " + GuidText(clsid));
  IDispatch* object = nullptr;
  hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(&object));
  Check(hr == S_OK && object != nullptr, L"CoCreateInstance: " + Hex(hr));
  if (FAILED(hr) || object == nullptr) return nullptr;
  auto aes = std::make_unique<LateBound>(object);
  object->Release();
  return aes;
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

void CheckStrings(LateBound& aes) {
  // Names in any letter case reach the same member; the type library gives
  // each member the id the object resolves.
  IDispatch* object = aes.Object();
  ITypeInfo* info = nullptr;
  HRESULT hr = object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info);
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
        hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        Check(hr == S_OK && id == desc->memid, spelling + L" resolves to " + std::to_wstring(id));
      }
      ::SysFreeString(name);
      info->ReleaseFuncDesc(desc);
    }
    if (attr) info->ReleaseTypeAttr(attr);
    info->Release();
  }

  // A text by reference as a typed parameter passes it (a script passes its
  // variables as references to variants).
  Variant text = std::string("per riferimento");
  Check(CallText(aes, "DecryptStr", {CallText(aes, "EncryptStr", {Arg::ByRef(text, VT_BSTR)})}) ==
            "per riferimento",
        L"a text by reference comes through");

  Check(CallText(aes, "plbEncodeStrB64", {std::string("per\xc3\xb2")}) == "cGVy8g==",
        L"plbEncodeStrB64 of \"però\"");
  Check(CallText(aes, "plbDecodeStrB64", {std::string("cGVy8g==")}) == "per\xc3\xb2",
        L"plbDecodeStrB64 of \"cGVy8g==\"");
}

// The three-argument members take their arguments in the caller's order:
// swapped paths or a flag in the wrong place would fail.
void CheckFiles(LateBound& aes, const std::wstring& folder) {
  const std::string plain = Utf8(folder + L"\\com_client_plain.txt");
  const std::string cipher = Utf8(folder + L"\\com_client_plain.enc");
  const std::string back = Utf8(folder + L"\\com_client_back.txt");
  std::ofstream(plain, std::ios::binary) << "riga uno\r\nriga due\r\n";
  for (const std::string& f : {cipher, back}) ::DeleteFileW(Wide(f).c_str());
  const struct {
    const char* member;
    std::string in, out;
    bool overwrite;
    bool expected;
  } steps[] = {
      {"EncryptFile", plain, cipher, false, true},
      {"EncryptFile", plain, cipher, false, false},  // exists, no overwrite
      {"EncryptFile", plain, cipher, true, true},
      {"DecryptFile", cipher, back, false, true},
      {"DecryptFile", Utf8(folder + L"\\com_client_missing.enc"), back, true, false},
  };
  for (const auto& s : steps) {
    Variant result;
    const int error = ErrorOf([&] { result = aes.Call(s.member, {s.in, s.out, s.overwrite}); });
    Check(error == 0 && result == Variant(s.expected),
          Wide(std::string(s.member) + "(" + s.in + ", " + s.out + ") is not " +
               (s.expected ? "True" : "False") + ", error " + std::to_string(error)));
  }
  std::ifstream decrypted(back, std::ios::binary);
  Check(std::string(std::istreambuf_iterator<char>(decrypted), {}) == "riga uno\r\nriga due\r\n",
        L"DecryptFile gives the file back");
  decrypted.close();
  for (const std::string& f : {plain, cipher, back}) ::DeleteFileW(Wide(f).c_str());
}

// Failures reach the caller as the runtime's errors, never as a crash.
void CheckErrors(LateBound& aes) {
  const struct {
    const char* what;
    const char* member;
    Args args;
    int number;
    std::string description;
  } cases[] = {
      {"an object as text",
       "EncryptStr",
       {lirvo::wintest::ObjectValue(aes.Object())},
       13,
       "Tipo non corrispondente"},
      {"no argument", "EncryptStr", {}, 450, ""},
      {"two arguments", "DecryptStr", {std::string("a"), std::string("b")}, 450, ""},
  };
  for (const auto& c : cases) {
    std::string description;
    const int number = ErrorOf([&] { aes.Call(c.member, c.args); }, &description);
    Check(number == c.number && (c.description.empty() || description == c.description),
          Wide(std::string(c.what) + ": " + std::to_string(number) + " " + description));
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
  if (const auto aes = CreateAes()) {
    Check(can_unload() == S_FALSE, L"DllCanUnloadNow with an object alive");
    CheckStrings(*aes);
    wchar_t temp[MAX_PATH];
    const DWORD n = ::GetTempPathW(MAX_PATH, temp);
    CheckFiles(*aes, std::wstring(temp, n > 0 ? n - 1 : 0));
    CheckErrors(*aes);
  }
  Check(can_unload() == S_OK, L"DllCanUnloadNow after the last object");

  Check(unregister_server() == S_OK, L"DllUnregisterServer");
  CheckUnregistered();
  return g_failures == 0 ? 0 : 1;
}

// clsAES.`member`(`text`), written to standard output as UTF-8.
int CallAndPrint(const std::wstring& member, const std::wstring& text) {
  const auto aes = CreateAes();
  if (aes == nullptr) return 1;
  const std::string out = CallText(*aes, Utf8(member).c_str(), {Utf8(text)});
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
    if (const auto aes = CreateAes()) {
      Check(
          CallText(*aes, "DecryptStr", {CallText(*aes, "EncryptStr", {std::string("ok")})}) == "ok",
          L"a round trip through the registered class");
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
