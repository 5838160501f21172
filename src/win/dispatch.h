// Automation objects: IDispatch over a table of members, for late-bound
// clients (scripts, the host). Names resolve without regard to letter case;
// a member's DISPID is its position in the table plus one, the order the
// type library gives its dispinterface. Arguments reach a handler first
// argument first (DISPPARAMS holds them last-first), read from whatever
// VARIANT the caller passed, by reference or not, by variant_convert.h. No exception crosses
// Invoke: a RuntimeError thrown by a handler or a conversion reaches the
// caller as DISP_E_EXCEPTION with the error's number and description, any
// other exception as the runtime's error for it (7 or 51).
#pragma once

#include <ole2.h>
#include <windows.h>

#include <atomic>
#include <span>
#include <string>
#include <string_view>

#include "host/variant.h"

namespace lirvo::win {

// The arguments of one call, in the caller's order.
class Arguments {
 public:
  explicit Arguments(const DISPPARAMS& params) : params_(params) {}
  // The arguments of a property put, without its value (the last).
  static Arguments OfPut(const DISPPARAMS& params) {
    return Arguments(params, params.cArgs > 0 ? params.cArgs - 1 : 0);
  }

  unsigned Count() const { return params_.cArgs; }

  // The argument at `index` (0 is the first), by variant_convert.h's rules.
  host::Variant Value(unsigned index) const;
  // The argument at `index` as the caller passed it.
  const VARIANT& Raw(unsigned index) const;
  // The same as text, as a Boolean, with the runtime's conversions. Empty
  // gives "" and false; Null raises 94; a value that does not convert raises
  // 13 (6 when it overflows).
  std::string Text(unsigned index) const;
  bool Boolean(unsigned index) const;
  // Gives `value` back through the argument at `index` when the caller
  // passed a variable by reference (a variant or a text); a value passed
  // by value keeps what it was, as for any by-reference parameter of the
  // runtime. A reference of another type raises 13.
  void SetOut(unsigned index, const host::Variant& value) const;

 private:
  Arguments(const DISPPARAMS& params, unsigned count) : params_(params), count_(count) {}

  const DISPPARAMS& params_;
  unsigned count_ = params_.cArgs;
};

// Where a handler puts its return value; the caller may want none.
class Result {
 public:
  explicit Result(VARIANT* out) : out_(out) {}

  void SetText(std::string_view utf8);
  void SetBoolean(bool value);
  void SetValue(const host::Variant& value);
  // An object of this DLL as the result; the result takes `object`'s
  // reference (released when the caller wants no result).
  void SetObject(IDispatch* object);

 private:
  VARIANT* out_;
};

// The error of the exception being handled as EXCEPINFO, from `source`; the
// HRESULT for Invoke to return. Call only inside a catch.
HRESULT ReportCurrentError(const wchar_t* source, EXCEPINFO* info) noexcept;

// IUnknown and IDispatch of an automation object with dispinterface
// `interface_id`. Counts itself as a live object of the DLL.
class DispatchBase : public IDispatch {
 public:
  DispatchBase(const DispatchBase&) = delete;
  DispatchBase& operator=(const DispatchBase&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep_info,
                                   UINT* arg_err) override;

 protected:
  // `source` names the object in its errors (its ProgID).
  DispatchBase(const IID& interface_id, const wchar_t* source);
  virtual ~DispatchBase();

  virtual size_t MemberCount() const = 0;
  virtual const wchar_t* MemberName(size_t member) const = 0;
  virtual unsigned MemberArity(size_t member) const = 0;
  virtual void CallMember(size_t member, const Arguments& args, Result& result) = 0;
  // Writable properties: whether `member` takes a put, and the put.
  virtual bool CanPut(size_t member) const = 0;
  virtual void PutMember(size_t member, const Arguments& args, const host::Variant& value) = 0;

 private:
  std::atomic<ULONG> references_{1};
  const IID& interface_id_;
  const wchar_t* source_;
};

// An automation object whose members are `Self`'s table of methods and
// properties. A member is called with DISPATCH_METHOD or
// DISPATCH_PROPERTYGET and takes exactly its number of arguments; one with
// a put handler is also a writable property (DISPATCH_PROPERTYPUT, the
// value as the named argument DISPID_PROPERTYPUT).
template <class Self>
class DispatchObject : public DispatchBase {
 public:
  struct Member {
    using Call = void (*)(Self& self, const Arguments& args, Result& result);
    using Put = void (*)(Self& self, const host::Variant& value);
    constexpr Member(const wchar_t* member_name, unsigned member_arity, Call member_call,
                     Put member_put = nullptr)
        : name(member_name), arity(member_arity), call(member_call), put(member_put) {}
    const wchar_t* name;
    unsigned arity;
    Call call;
    Put put;
  };

 protected:
  DispatchObject(const IID& interface_id, const wchar_t* source, std::span<const Member> members)
      : DispatchBase(interface_id, source), members_(members) {}

 private:
  size_t MemberCount() const override { return members_.size(); }
  const wchar_t* MemberName(size_t member) const override { return members_[member].name; }
  unsigned MemberArity(size_t member) const override { return members_[member].arity; }
  void CallMember(size_t member, const Arguments& args, Result& result) override {
    members_[member].call(static_cast<Self&>(*this), args, result);
  }
  bool CanPut(size_t member) const override { return members_[member].put != nullptr; }
  void PutMember(size_t member, const Arguments&, const host::Variant& value) override {
    members_[member].put(static_cast<Self&>(*this), value);
  }

  std::span<const Member> members_;
};

}  // namespace lirvo::win
