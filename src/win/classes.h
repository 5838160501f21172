// The public classes of the component: what the class factory creates and
// what registration writes.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <span>

namespace lirvo::win {

struct CoClass {
  const CLSID& clsid;
  const wchar_t* prog_id;
  // A new object with one reference; throws std::bad_alloc.
  IDispatch* (*create)();
};

std::span<const CoClass> PublicClasses();

// The class with id `clsid`, or null.
const CoClass* FindClass(REFCLSID clsid);

}  // namespace lirvo::win
