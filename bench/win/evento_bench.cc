// The cost of one late-bound Evento round trip under Wine: the host calls
// Plugin.Evento("form.load", Nothing, Array(form)) through IDispatch and the
// plug-in calls back the host form's Name once (a form other than the main
// one, so nothing else happens). The baseline is one late-bound call of the
// same host form's Name from the host, in the same process.
//
//   evento_bench DLL [CALLS]
//
// Loads the DLL directly (no registration needed) and prints, for each, the
// fastest of five repetitions in microseconds a call, and their ratio. This
// is a plain timing loop: Debian ships no Google Benchmark for MinGW.
#include <ole2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "win/com_ids.h"

namespace {

// The host's form: Name is its one member, and it counts the calls.
class HostForm final : public IDispatch {
 public:
  long name_reads = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* id) override {
    if (::CompareStringOrdinal(names[0], -1, L"Name", -1, TRUE) != CSTR_EQUAL) {
      *id = DISPID_UNKNOWN;
      return DISP_E_UNKNOWNNAME;
    }
    *id = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (id != 1) return DISP_E_MEMBERNOTFOUND;
    ++name_reads;
    if (result != nullptr) {
      V_VT(result) = VT_BSTR;
      V_BSTR(result) = ::SysAllocString(L"frmAltro");
    }
    return S_OK;
  }
};

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The fastest of five repetitions of `calls` calls of `call`, in
// microseconds a call; -1 when a call failed.
template <class Call>
double FastestMicroseconds(long calls, Call call) {
  double best = 1e300;
  for (int repetition = 0; repetition < 5; ++repetition) {
    const double start = Seconds();
    for (long i = 0; i < calls; ++i) {
      if (FAILED(call())) return -1;
    }
    best = std::min(best, (Seconds() - start) * 1e6 / static_cast<double>(calls));
  }
  return best;
}

DISPID IdOf(IDispatch* object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fwprintf(stderr, L"usage: evento_bench DLL [CALLS]\n");
    return 2;
  }
  const long calls = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 20000;
  ::CoInitialize(nullptr);
  HMODULE dll = ::LoadLibraryW(argv[1]);
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto get_class_object = dll ? reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(
                                    ::GetProcAddress(dll, "DllGetClassObject")))
                              : nullptr;
  IClassFactory* factory = nullptr;
  IDispatch* plugin = nullptr;
  if (get_class_object == nullptr ||
      FAILED(get_class_object(lirvo::win::kClsidPlugin, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory))) ||
      FAILED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&plugin)))) {
    std::fwprintf(stderr, L"cannot create Plugin from %ls\n", argv[1]);
    return 1;
  }
  factory->Release();

  HostForm form;
  const DISPID name_id = IdOf(&form, L"Name");
  const auto read_name = [&] {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    ::VariantInit(&result);
    const HRESULT hr =
        form.Invoke(name_id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                    &none, &result, nullptr, nullptr);
    ::VariantClear(&result);
    return hr;
  };
  // Evento's arguments as a host passes them: the event by value, the host
  // object (Nothing) and the parameter array by reference.
  SAFEARRAY* params = ::SafeArrayCreateVector(VT_VARIANT, 0, 1);
  LONG index = 0;
  VARIANT element;
  V_VT(&element) = VT_DISPATCH;
  V_DISPATCH(&element) = &form;
  ::SafeArrayPutElement(params, &index, &element);
  VARIANT param_array;
  V_VT(&param_array) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&param_array) = params;
  IDispatch* nothing = nullptr;
  VARIANT args[3];
  V_VT(&args[2]) = VT_BSTR;
  V_BSTR(&args[2]) = ::SysAllocString(L"form.load");
  V_VT(&args[1]) = VT_BYREF | VT_DISPATCH;
  V_DISPATCHREF(&args[1]) = &nothing;
  V_VT(&args[0]) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&args[0]) = &param_array;
  const DISPID evento_id = IdOf(plugin, L"Evento");
  const auto evento = [&] {
    DISPPARAMS dp{args, nullptr, 3, 0};
    return plugin->Invoke(evento_id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, nullptr,
                          nullptr, nullptr);
  };

  const double baseline = FastestMicroseconds(calls, read_name);
  const long reads_before = form.name_reads;
  const double round_trip = FastestMicroseconds(calls, evento);
  const bool called_back = form.name_reads - reads_before == 5 * calls;
  std::wprintf(L"late-bound call of the host's Name: %.3f us\n", baseline);
  std::wprintf(L"Evento round trip (one call back): %.3f us (%.1f times the call)\n", round_trip,
               round_trip / baseline);
  if (!called_back || baseline < 0 || round_trip < 0) {
    std::fwprintf(stderr, L"the plug-in did not call back once per event\n");
    return 1;
  }
  ::SysFreeString(V_BSTR(&args[2]));
  ::SafeArrayDestroy(params);
  plugin->Release();
  return 0;
}
