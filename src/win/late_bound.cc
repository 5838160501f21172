#include "win/late_bound.h"

#include <dispex.h>

#include <cstdio>
#include <new>

#include "base/runtime_error.h"
#include "win/variant_convert.h"
#include "win/wide_text.h"

namespace lirvo::win {
namespace {

// VARIANTs that clear themselves.
class Variants {
 public:
  explicit Variants(size_t n) : items_(n) {
    for (VARIANT& v : items_) ::VariantInit(&v);
  }
  ~Variants() {
    for (VARIANT& v : items_) ::VariantClear(&v);
  }
  Variants(const Variants&) = delete;
  Variants& operator=(const Variants&) = delete;
  VARIANT& operator[](size_t i) { return items_[i]; }
  VARIANT* data() { return items_.data(); }

 private:
  std::vector<VARIANT> items_;
};

// The error a failed call reports. A DISP_E_EXCEPTION carries the callee's
// own: its EXCEPINFO (completed first when the callee deferred that) holds
// an error number in wCode or an HRESULT in scode, and a description.
[[noreturn]] void Raise(HRESULT hr, EXCEPINFO* info, std::string_view name) {
  std::string description;
  if (hr == DISP_E_EXCEPTION && info != nullptr) {
    if (info->pfnDeferredFillIn != nullptr) info->pfnDeferredFillIn(info);
    const WORD code = info->wCode;
    const SCODE scode = info->scode;
    try {
      description = Utf8(info->bstrDescription);
    } catch (...) {
    }
    ::SysFreeString(info->bstrSource);
    ::SysFreeString(info->bstrDescription);
    ::SysFreeString(info->bstrHelpFile);
    *info = EXCEPINFO{};
    if (code != 0) {
      throw RuntimeError(code, description.empty() ? ErrorDescription(code) : description);
    }
    if (FAILED(scode)) hr = scode;
  }
  int number = static_cast<int>(hr);
  switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      number = kErrNoSuchMember;
      break;
    case DISP_E_TYPEMISMATCH:
      number = kErrTypeMismatch;
      break;
    case DISP_E_BADPARAMCOUNT:
      number = 450;
      if (description.empty()) {
        description = "Numero di argomenti errato o assegnazione di proprietà non valida";
      }
      break;
    case DISP_E_PARAMNOTOPTIONAL:
      number = 449;
      if (description.empty()) description = "Argomento non facoltativo";
      break;
    case DISP_E_OVERFLOW:
      number = kErrOverflow;
      break;
    case E_OUTOFMEMORY:
      throw std::bad_alloc();
    default:
      // The runtime's own errors travel as HRESULTs of the control facility.
      if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) number = HRESULT_CODE(hr);
      break;
  }
  if (description.empty()) {
    if (number != static_cast<int>(hr)) {
      description = ErrorDescription(number);
    } else {
      char text[16];
      std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
      description = "Errore di automazione " + std::string(text) + " in " + std::string(name);
    }
  }
  throw RuntimeError(number, std::move(description));
}

}  // namespace

LateBound::LateBound(IDispatch* object) : object_(object) {
  if (object_ == nullptr) throw RuntimeError(kErrObjectNotSet);
  object_->AddRef();
}

LateBound::~LateBound() { object_->Release(); }

DISPID LateBound::Id(std::string_view name) {
  std::string key(name);
  if (auto it = ids_.find(key); it != ids_.end()) return it->second;
  std::wstring wide = Wide(name);
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (hr == E_NOTIMPL) {
    // An object that finds names only through IDispatchEx (a script's
    // class instance, under some script engines).
    IDispatchEx* extended = nullptr;
    if (SUCCEEDED(
            object_->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(&extended)))) {
      BSTR text = NewBstr(name);
      hr = extended->GetDispID(text, fdexNameCaseInsensitive, &id);
      ::SysFreeString(text);
      extended->Release();
    }
  }
  if (FAILED(hr)) Raise(hr, nullptr, name);
  ids_.emplace(std::move(key), id);
  return id;
}

VARIANT LateBound::Invoke(std::string_view name, WORD flags, const Args& args,
                          const host::Variant* put) {
  const DISPID id = Id(name);
  const size_t n = args.size() + (put != nullptr ? 1 : 0);
  // `values` owns what the arguments hold; `passed` is what the callee gets,
  // last argument first (the value of a put is the last).
  Variants values(n);
  std::vector<VARIANT> passed(n);
  for (size_t i = 0; i < n; ++i) {
    VARIANT& value = values[i];
    VARIANT& slot = passed[n - 1 - i];
    if (i == args.size()) {
      AssignVariant(*put, value);
      slot = value;
      continue;
    }
    const Arg& arg = args[i];
    if (arg.missing_) {
      V_VT(&value) = VT_ERROR;
      V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
    } else if (auto array = std::get_if<host::ParamArray>(&arg.value_)) {
      V_ARRAY(&value) = NewArray(*array);
      V_VT(&value) = V_ARRAY(&value) != nullptr ? VT_ARRAY | VT_VARIANT : VT_EMPTY;
    } else {
      AssignVariant(std::get<host::Variant>(arg.value_), value);
    }
    if (arg.target_ == nullptr) {
      slot = value;
    } else if (arg.type_ == VT_VARIANT) {
      V_VT(&slot) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&slot) = &value;
    } else {
      const HRESULT hr = ::VariantChangeType(&value, &value, 0, arg.type_);
      if (FAILED(hr)) Raise(hr, nullptr, name);
      V_VT(&slot) = VT_BYREF | arg.type_;
      V_BYREF(&slot) = &V_I8(&value);  // every typed value sits in the union
    }
  }

  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{passed.data(), put != nullptr ? &put_id : nullptr, static_cast<UINT>(n),
                    put != nullptr ? 1u : 0u};
  VARIANT result;
  ::VariantInit(&result);
  EXCEPINFO info{};
  UINT arg_error = 0;
  HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                               put != nullptr ? nullptr : &result, &info, &arg_error);
  if (hr == DISP_E_MEMBERNOTFOUND && flags == DISPATCH_PROPERTYPUTREF) {
    // A property that takes its object by value.
    hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                         &info, &arg_error);
  }
  if (FAILED(hr)) {
    ::VariantClear(&result);
    Raise(hr, &info, name);
  }
  try {
    for (size_t i = 0; i < args.size(); ++i) {
      if (args[i].target_ != nullptr) *args[i].target_ = FromVariant(passed[n - 1 - i]);
    }
  } catch (...) {
    ::VariantClear(&result);
    throw;
  }
  return result;
}

host::Variant LateBound::Call(std::string_view name, const Args& args) {
  Variants result(1);
  result[0] = Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
  return FromVariant(result[0]);
}

std::variant<host::Variant, host::ParamArray> LateBound::CallValueOrArray(std::string_view name,
                                                                          const Args& args) {
  Variants result(1);
  result[0] = Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr);
  const VARIANT& v = result[0];
  const bool array = (V_VT(&v) & VT_ARRAY) != 0 ||
                     (V_VT(&v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&v) != nullptr &&
                      (V_VT(V_VARIANTREF(&v)) & VT_ARRAY) != 0);
  if (array) return ReadArray(v);
  return FromVariant(v);
}

void LateBound::Put(std::string_view name, const host::Variant& value, const Args& args) {
  const bool object = std::holds_alternative<std::shared_ptr<host::Dispatch>>(value);
  Invoke(name, object ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, args, &value);
}

}  // namespace lirvo::win
