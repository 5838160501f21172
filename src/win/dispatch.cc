#include "win/dispatch.h"

#include <exception>

#include "base/runtime_error.h"
#include "win/module.h"
#include "win/variant_convert.h"
#include "win/wide_text.h"

namespace lirvo::win {

host::Variant Arguments::Value(unsigned index) const { return FromVariant(Raw(index)); }

const VARIANT& Arguments::Raw(unsigned index) const {
  if (index >= count_) throw RuntimeError(kErrInvalidCall);
  // DISPPARAMS holds the arguments last first; a put's value is rgvarg[0].
  return params_.rgvarg[params_.cArgs - 1 - index];
}

void Arguments::SetOut(unsigned index, const host::Variant& value) const {
  const VARIANT& argument = Raw(index);
  if ((V_VT(&argument) & VT_BYREF) == 0) return;
  if (V_VT(&argument) == (VT_BYREF | VT_VARIANT)) {
    AssignVariant(value, *V_VARIANTREF(&argument));
  } else if (V_VT(&argument) == (VT_BYREF | VT_BSTR)) {
    BSTR text = NewBstr(host::ToText(value));
    ::SysFreeString(*V_BSTRREF(&argument));
    *V_BSTRREF(&argument) = text;
  } else {
    throw RuntimeError(kErrTypeMismatch);
  }
}

std::string Arguments::Text(unsigned index) const { return host::ToText(Value(index)); }

bool Arguments::Boolean(unsigned index) const {
  const host::Variant value = Value(index);
  if (std::holds_alternative<host::Null>(value)) throw RuntimeError(kErrInvalidUseOfNull);
  return host::ToBoolean(value);
}

void Result::SetText(std::string_view utf8) {
  if (out_ != nullptr) AssignVariant(std::string(utf8), *out_);
}

void Result::SetBoolean(bool value) {
  if (out_ != nullptr) AssignVariant(value, *out_);
}

void Result::SetValue(const host::Variant& value) {
  if (out_ != nullptr) AssignVariant(value, *out_);
}

void Result::SetObject(IDispatch* object) {
  if (out_ == nullptr) {
    object->Release();
    return;
  }
  ::VariantClear(out_);
  V_VT(out_) = VT_DISPATCH;
  V_DISPATCH(out_) = object;
}

HRESULT ReportCurrentError(const wchar_t* source, EXCEPINFO* info) noexcept {
  const RuntimeError error = RuntimeErrorOf(std::current_exception());
  // The runtime's errors travel as HRESULTs of the control facility, the
  // error number in the low word: 13 is 0x800A000D.
  const HRESULT code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, error.Number() & 0xFFFF);
  if (info == nullptr) return code;
  *info = EXCEPINFO{};
  info->scode = code;
  info->bstrSource = ::SysAllocString(source);
  try {
    info->bstrDescription = NewBstr(error.Description());
  } catch (...) {
    info->bstrDescription = nullptr;
  }
  return DISP_E_EXCEPTION;
}

DispatchBase::DispatchBase(const IID& interface_id, const wchar_t* source)
    : interface_id_(interface_id), source_(source) {
  ObjectCreated();
}

DispatchBase::~DispatchBase() { ObjectDestroyed(); }

HRESULT STDMETHODCALLTYPE DispatchBase::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, interface_id_)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DispatchBase::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE DispatchBase::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE DispatchBase::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchBase::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeLib* library = nullptr;
  HRESULT hr = E_OUTOFMEMORY;
  try {
    hr = ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library);
  } catch (...) {
  }
  if (FAILED(hr)) return hr;
  hr = library->GetTypeInfoOfGuid(interface_id_, info);
  library->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE DispatchBase::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count,
                                                      LCID, DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (count == 0) return S_OK;
  if (names == nullptr || ids == nullptr) return E_POINTER;
  HRESULT hr = DISP_E_UNKNOWNNAME;
  ids[0] = DISPID_UNKNOWN;
  if (names[0] != nullptr) {
    for (size_t m = 0; m < MemberCount(); ++m) {
      if (::CompareStringOrdinal(names[0], -1, MemberName(m), -1, TRUE) == CSTR_EQUAL) {
        ids[0] = static_cast<DISPID>(m + 1);
        hr = S_OK;
        break;
      }
    }
  }
  // The members take no named arguments.
  for (UINT i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT STDMETHODCALLTYPE DispatchBase::Invoke(DISPID id, REFIID riid, LCID, WORD flags,
                                               DISPPARAMS* params, VARIANT* result,
                                               EXCEPINFO* excep_info, UINT*) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (id < 1 || static_cast<size_t>(id) > MemberCount()) return DISP_E_MEMBERNOTFOUND;
  DISPPARAMS none{};
  if (params == nullptr) params = &none;
  const size_t member = static_cast<size_t>(id) - 1;
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
    if (!CanPut(member)) return DISP_E_MEMBERNOTFOUND;
    if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      return DISP_E_PARAMNOTOPTIONAL;
    }
    if (params->cArgs != MemberArity(member) + 1) return DISP_E_BADPARAMCOUNT;
    AddRef();
    HRESULT hr = S_OK;
    try {
      PutMember(member, Arguments::OfPut(*params), FromVariant(params->rgvarg[0]));
    } catch (...) {
      hr = ReportCurrentError(source_, excep_info);
    }
    Release();
    return hr;
  }
  if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs != MemberArity(member)) return DISP_E_BADPARAMCOUNT;
  if (result != nullptr) ::VariantInit(result);

  // The object stays alive while its member runs, whatever the member does
  // with the caller's references.
  AddRef();
  HRESULT hr = S_OK;
  try {
    const Arguments args(*params);
    Result out(result);
    CallMember(member, args, out);
  } catch (...) {
    if (result != nullptr) ::VariantClear(result);
    hr = ReportCurrentError(source_, excep_info);
  }
  Release();
  return hr;
}

}  // namespace lirvo::win
