#include "win/collection_object.h"

#include <windows.h>

#include "base/runtime_error.h"
#include "base/text.h"
#include "host/variant.h"
#include "win/dispatch.h"
#include "win/module.h"
#include "win/variant_convert.h"

namespace lirvo::win {
namespace {

constexpr DISPID kDispidCount = 1;

// The items as For Each walks them: each Next hands out new references.
class ItemEnumerator final : public UnknownObject<IEnumVARIANT> {
 public:
  ItemEnumerator(std::vector<IDispatch*> items, ULONG position)
      : items_(std::move(items)), position_(position) {
    for (IDispatch* item : items_) item->AddRef();
  }
  ~ItemEnumerator() override {
    for (IDispatch* item : items_) item->Release();
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (out == nullptr) return E_POINTER;
    ULONG n = 0;
    for (; n < count && position_ < items_.size(); ++n, ++position_) {
      ::VariantInit(&out[n]);
      V_VT(&out[n]) = VT_DISPATCH;
      V_DISPATCH(&out[n]) = items_[position_];
      items_[position_]->AddRef();
    }
    if (fetched != nullptr) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const bool all = position_ + count <= items_.size();
    position_ = all ? position_ + count : static_cast<ULONG>(items_.size());
    return all ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    try {
      *copy = new ItemEnumerator(items_, position_);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  std::vector<IDispatch*> items_;
  ULONG position_;
};

class CollectionObject final : public DispatchBase {
 public:
  explicit CollectionObject(const std::vector<std::pair<std::string, IDispatch*>>& items)
      : DispatchBase(IID_IDispatch, L"plgRefertiLirvo.Collection") {
    for (const auto& [key, item] : items) {
      keys_.push_back(UCase(key));
      items_.push_back(item);
      item->AddRef();
    }
  }
  ~CollectionObject() override {
    for (IDispatch* item : items_) item->Release();
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (names == nullptr || ids == nullptr) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (Is(names[0], L"Count")) {
      ids[0] = kDispidCount;
    } else if (Is(names[0], L"Item")) {
      ids[0] = DISPID_VALUE;
    } else if (Is(names[0], L"_NewEnum")) {
      ids[0] = DISPID_NEWENUM;
    } else {
      hr = DISP_E_UNKNOWNNAME;
    }
    return count > 1 ? DISP_E_UNKNOWNNAME : hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{};
    if (params == nullptr) params = &none;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (result != nullptr) ::VariantInit(result);
    const unsigned arity = id == DISPID_VALUE ? 1 : 0;
    if (id != kDispidCount && id != DISPID_VALUE && id != DISPID_NEWENUM) {
      return DISP_E_MEMBERNOTFOUND;
    }
    if (params->cArgs != arity) return DISP_E_BADPARAMCOUNT;
    try {
      if (id == kDispidCount) {
        if (result != nullptr) AssignVariant(static_cast<int64_t>(items_.size()), *result);
      } else if (id == DISPID_NEWENUM) {
        if (result != nullptr) {
          V_VT(result) = VT_UNKNOWN;
          V_UNKNOWN(result) = new ItemEnumerator(items_, 0);
        }
      } else {
        IDispatch* item = Find(FromVariant(params->rgvarg[0]));
        if (result != nullptr) {
          V_VT(result) = VT_DISPATCH;
          V_DISPATCH(result) = item;
          item->AddRef();
        }
      }
    } catch (...) {
      if (result != nullptr) ::VariantClear(result);
      return ReportCurrentError(L"plgRefertiLirvo.Collection", info);
    }
    return S_OK;
  }

 protected:
  // The table of DispatchBase is not used: the members above answer.
  size_t MemberCount() const override { return 0; }
  const wchar_t* MemberName(size_t) const override { return L""; }
  unsigned MemberArity(size_t) const override { return 0; }
  void CallMember(size_t, const Arguments&, Result&) override {}
  bool CanPut(size_t) const override { return false; }
  void PutMember(size_t, const Arguments&, const host::Variant&) override {}

 private:
  static bool Is(const wchar_t* name, const wchar_t* member) {
    return name != nullptr && ::CompareStringOrdinal(name, -1, member, -1, TRUE) == CSTR_EQUAL;
  }

  // Item(index): a number is a 1-based position, a text a key. As the
  // runtime's Collection: a missing key raises 5, a position out of range 9.
  IDispatch* Find(const host::Variant& index) const {
    if (std::holds_alternative<std::string>(index)) {
      const std::string key = UCase(std::get<std::string>(index));
      for (size_t i = 0; i < keys_.size(); ++i) {
        if (!key.empty() && keys_[i] == key) return items_[i];
      }
      throw RuntimeError(kErrInvalidCall);
    }
    const int64_t position = host::ToLong(index);
    if (position < 1 || static_cast<size_t>(position) > items_.size()) {
      throw RuntimeError(kErrSubscript);
    }
    return items_[static_cast<size_t>(position) - 1];
  }

  std::vector<std::string> keys_;  // upper-cased
  std::vector<IDispatch*> items_;
};

}  // namespace

IDispatch* NewCollectionObject(const std::vector<std::pair<std::string, IDispatch*>>& items) {
  return new CollectionObject(items);
}

}  // namespace lirvo::win
