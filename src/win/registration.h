// Self-registration of the DLL: for each public class its ProgID and its
// class id (InprocServer32 with the DLL's path, ThreadingModel Apartment,
// ProgID, TypeLib, VERSION), and the embedded type library. The keys go to
// the machine's classes (HKLM\Software\Classes, what HKEY_CLASSES_ROOT
// shows) and, when those cannot be written, to the user's
// (HKCU\Software\Classes). Unregistration removes them from both.
#pragma once

#include <windows.h>

namespace lirvo::win {

// S_OK, or SELFREG_E_CLASS / SELFREG_E_TYPELIB with nothing left behind.
HRESULT RegisterServer() noexcept;
// S_OK when none of the keys is left; SELFREG_E_CLASS when some could not
// be removed.
HRESULT UnregisterServer() noexcept;

}  // namespace lirvo::win
