// The DLL as a whole: its handle and path, and the count of live objects and
// server locks that decides whether it may be unloaded.
#pragma once

#include <windows.h>

#include <string>

namespace lirvo::win {

void SetModule(HMODULE module);
HMODULE Module();
// The full path of the DLL, as the system loaded it.
std::wstring ModulePath();

// Every object the DLL hands out counts itself while alive; IClassFactory's
// LockServer counts as one object per lock.
void ObjectCreated();
void ObjectDestroyed();
bool CanUnload();

}  // namespace lirvo::win
