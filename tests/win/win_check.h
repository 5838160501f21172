// What the test programs under Wine share: failures counted and told on
// standard error (the program exits 1 when any), the runtime error a call
// raises, a COM object created by ProgID and a COM object as a value of the
// core.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "base/runtime_error.h"
#include "win/late_bound.h"

namespace lirvo::wintest {

inline int g_failures = 0;

inline void Check(bool ok, const std::string& what) {
  if (ok) return;
  ++g_failures;
  std::fprintf(stderr, "FAILED: %s\n", what.c_str());
}

// The runtime error `f` raises as the runtime sees it (running out of
// memory is 7), 0 when none.
inline int ErrorOf(const std::function<void()>& f, std::string* description = nullptr) {
  try {
    f();
  } catch (...) {
    const RuntimeError e = RuntimeErrorOf(std::current_exception());
    if (description != nullptr) *description = e.Description();
    return e.Number();
  }
  return 0;
}

// A new object of the class registered as `prog_id`, nullptr when none.
inline IDispatch* Create(const wchar_t* prog_id) {
  CLSID clsid;
  IDispatch* object = nullptr;
  if (FAILED(::CLSIDFromProgID(prog_id, &clsid)) ||
      FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&object)))) {
    return nullptr;
  }
  return object;
}

// `object` as a value of the core: a ComObject, which holds a reference of
// its own.
inline host::Variant ObjectValue(IDispatch* object) {
  return std::shared_ptr<host::Dispatch>(std::make_shared<win::ComObject>(object));
}

// The IUnknown side of a test's own IDispatch object: it lives as long as
// the test holds it (never deleted by Release) and counts its references.
class TestDispatch : public IDispatch {
 public:
  ULONG references = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
};

}  // namespace lirvo::wintest
