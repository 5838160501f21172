// The DLL's entry points: the four that COM and regsvr32 call, and DllMain.
#include <ole2.h>
#include <olectl.h>
#include <windows.h>

#include "win/class_factory.h"
#include "win/classes.h"
#include "win/module.h"
#include "win/registration.h"

using namespace lirvo::win;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModule(instance);
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const CoClass* co_class = FindClass(clsid);
  if (co_class == nullptr) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = nullptr;
  try {
    factory = NewClassFactory(*co_class);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = factory->QueryInterface(riid, object);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() { return CanUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return RegisterServer(); }

STDAPI DllUnregisterServer() { return UnregisterServer(); }
