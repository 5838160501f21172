// The DLL as a whole: its handle and path, and the count of live objects and
// server locks that decides whether it may be unloaded.
#pragma once

#include <ole2.h>
#include <windows.h>

#include <atomic>
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

// IUnknown of an object of the DLL with one interface, `Interface`: it
// starts with one reference, counts itself as a live object and deletes
// itself at its last Release.
template <class Interface>
class UnknownObject : public Interface {
 public:
  UnknownObject() { ObjectCreated(); }
  virtual ~UnknownObject() { ObjectDestroyed(); }
  UnknownObject(const UnknownObject&) = delete;
  UnknownObject& operator=(const UnknownObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace lirvo::win
