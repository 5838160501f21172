// What the test programs under Wine share: failures counted and told on
// standard error (the program exits 1 when any), the runtime error a call
// raises, and a COM object created by ProgID.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "base/runtime_error.h"

namespace lirvo::wintest {

inline int g_failures = 0;

inline void Check(bool ok, const std::string& what) {
  if (ok) return;
  ++g_failures;
  std::fprintf(stderr, "FAILED: %s\n", what.c_str());
}

// The runtime error `f` raises, 0 when none.
inline int ErrorOf(const std::function<void()>& f, std::string* description = nullptr) {
  try {
    f();
  } catch (const RuntimeError& e) {
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

}  // namespace lirvo::wintest
