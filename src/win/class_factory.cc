#include "win/class_factory.h"

#include <new>

#include "win/module.h"

namespace lirvo::win {
namespace {

class ClassFactory final : public UnknownObject<IClassFactory> {
 public:
  explicit ClassFactory(const CoClass& co_class) : co_class_(co_class) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    IDispatch* created = nullptr;
    try {
      created = co_class_.create();
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    const HRESULT hr = created->QueryInterface(riid, object);
    created->Release();
    return hr;
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      ObjectCreated();
    } else {
      ObjectDestroyed();
    }
    return S_OK;
  }

 private:
  const CoClass& co_class_;
};

}  // namespace

IClassFactory* NewClassFactory(const CoClass& co_class) { return new ClassFactory(co_class); }

}  // namespace lirvo::win
