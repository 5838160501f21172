// Calls on a COM object by member name, as a script makes them: the name is
// resolved once (GetIDsOfNames) and kept, the arguments go first to last
// (DISPPARAMS holds them last-first), values convert by variant_convert.h.
// A failed call throws RuntimeError with the runtime's number:
//   DISP_E_EXCEPTION         the EXCEPINFO's error (0x800A0000 + n is n)
//                            and description
//   0x800A0000 + n           n (a control-facility HRESULT)
//   DISP_E_UNKNOWNNAME,
//   DISP_E_MEMBERNOTFOUND    438
//   DISP_E_TYPEMISMATCH      13
//   DISP_E_BADPARAMCOUNT     450
//   DISP_E_PARAMNOTOPTIONAL  449
//   DISP_E_OVERFLOW          6
//   E_OUTOFMEMORY            7
//   anything else            the HRESULT itself as the number (as the
//                            runtime reports an automation error), with a
//                            description naming the HRESULT and the member
#pragma once

#include <ole2.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "host/variant.h"

namespace lirvo::win {

// One argument of a call: a value, an array, or a variable of the caller
// passed by reference, which the callee may change.
class Arg {
 public:
  template <class T>
  requires std::is_constructible_v<host::Variant, T&&> Arg(T&& value)
      : value_(host::Variant(std::forward<T>(value))) {}
  Arg(host::ParamArray array) : value_(std::move(array)) {}

  // `target` passed by reference: the callee gets a reference to a variant
  // (VT_BYREF | VT_VARIANT) or, for `type` other than VT_VARIANT, to a value
  // of that type (VT_BYREF | type: VT_I2, VT_I4, VT_R8, VT_BOOL, VT_BSTR),
  // as a callee with a typed by-reference parameter needs. After the call
  // `target` holds what the callee left there.
  static Arg ByRef(host::Variant& target, VARTYPE type = VT_VARIANT) {
    Arg arg(host::Variant{});
    arg.target_ = &target;
    arg.type_ = type;
    arg.value_ = target;
    return arg;
  }

  // An optional argument left out, as a script's empty place between commas
  // passes it (VT_ERROR DISP_E_PARAMNOTFOUND).
  static Arg Missing() {
    Arg arg(host::Variant{});
    arg.missing_ = true;
    return arg;
  }

 private:
  friend class LateBound;
  std::variant<host::Variant, host::ParamArray> value_;
  host::Variant* target_ = nullptr;
  VARTYPE type_ = VT_VARIANT;
  bool missing_ = false;
};

using Args = std::vector<Arg>;

class LateBound {
 public:
  // Holds a reference to `object`; a null object raises 91.
  explicit LateBound(IDispatch* object);
  ~LateBound();
  LateBound(const LateBound&) = delete;
  LateBound& operator=(const LateBound&) = delete;

  // object.name(args...), a method or a property with arguments.
  host::Variant Call(std::string_view name, const Args& args = {});
  // The same for a member that answers either an array or a value.
  std::variant<host::Variant, host::ParamArray> CallValueOrArray(std::string_view name,
                                                                 const Args& args = {});
  // object.name (or object.name(args...) of an indexed property).
  host::Variant Get(std::string_view name, const Args& args = {}) { return Call(name, args); }
  // object.name(args...) = value: a property put, or a put by reference
  // (DISPATCH_PROPERTYPUTREF, as Set does) for an object.
  void Put(std::string_view name, const host::Variant& value, const Args& args = {});

  IDispatch* Object() const { return object_; }

 private:
  DISPID Id(std::string_view name);
  // The call's result; the caller clears it.
  VARIANT Invoke(std::string_view name, WORD flags, const Args& args, const host::Variant* put);

  IDispatch* object_;
  std::unordered_map<std::string, DISPID> ids_;
};

// A host object reached through its IDispatch: the object alternative of
// host::Variant for COM objects.
class ComObject : public host::Dispatch {
 public:
  explicit ComObject(IDispatch* object) : late_(object) {}
  host::Variant Get(std::string_view member) override { return late_.Get(member); }
  LateBound& Late() { return late_; }

 private:
  LateBound late_;
};

}  // namespace lirvo::win
