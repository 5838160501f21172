#include "win/class_factory.h"

#include <atomic>
#include <new>

#include "win/module.h"

namespace lirvo::win {
namespace {

class ClassFactory : public IClassFactory {
 public:
  explicit ClassFactory(const CoClass& co_class) : co_class_(co_class) { ObjectCreated(); }
  virtual ~ClassFactory() { ObjectDestroyed(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
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
  std::atomic<ULONG> references_{1};
  const CoClass& co_class_;
};

}  // namespace

IClassFactory* NewClassFactory(const CoClass& co_class) { return new ClassFactory(co_class); }

}  // namespace lirvo::win
