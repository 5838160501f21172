// The VARIANT conversions and late-bound calls of lirvo_win_com, run under
// Wine: every VARIANT kind read and written, arrays of COM in every form
// they arrive in, and calls by name on a recording object of this test
// (the replay calls Clinora's objects and Wine's MSXML through the same
// code). Exit status 0 when every check passed, 1 otherwise (each failure
// on standard error).
#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "win/late_bound.h"
#include "win/variant_convert.h"
#include "win_check.h"

namespace {

using lirvo::RuntimeError;
using lirvo::host::Empty;
using lirvo::host::Null;
using lirvo::host::ParamArray;
using lirvo::host::Variant;
using lirvo::win::Arg;
using lirvo::win::FromVariant;
using lirvo::win::LateBound;
using lirvo::win::ReadArray;
using lirvo::win::ToVariant;
using lirvo::wintest::Check;
using lirvo::wintest::ErrorOf;
using lirvo::wintest::g_failures;
using Object = std::shared_ptr<lirvo::host::Dispatch>;

std::string Show(const Variant& v) {
  try {
    return lirvo::host::Describe(v);
  } catch (...) {
    return "?";
  }
}

// A VARIANT built by `fill`, cleared after use.
struct Owned {
  VARIANT v;
  Owned() { ::VariantInit(&v); }
  ~Owned() { ::VariantClear(&v); }
  Owned(const Owned&) = delete;
};

// A callee that records how it was called: argument types first to last,
// the named argument, how often its names were resolved and its references.
// Member 1 "Take" doubles a VT_I4 passed by reference and sets a variant
// passed by reference to "cambiato"; member 2 "Fail" raises error 5 with a
// description; member 20 "Value" takes an object by value only (a put by
// reference is not found); the others fail with their HRESULT.
class Recorder : public lirvo::wintest::TestDispatch {
 public:
  static constexpr std::pair<const wchar_t*, HRESULT> kFailures[] = {
      {L"Refuse", E_INVALIDARG},
      {L"Count", DISP_E_BADPARAMCOUNT},
      {L"Optional", DISP_E_PARAMNOTOPTIONAL},
      {L"Mismatch", DISP_E_TYPEMISMATCH},
      {L"Large", DISP_E_OVERFLOW},
      {L"Memory", E_OUTOFMEMORY},
      {L"Control", static_cast<HRESULT>(0x800A0009)}};
  int lookups = 0;
  std::vector<VARTYPE> types;
  UINT named = 0;
  DISPID named_id = 0;
  WORD flags = 0;

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* id) override {
    ++lookups;
    const std::wstring name = names[0];
    *id = name == L"Take" ? 1 : name == L"Fail" ? 2 : name == L"Value" ? 20 : DISPID_UNKNOWN;
    for (size_t i = 0; i < std::size(kFailures); ++i) {
      if (name == kFailures[i].first) *id = static_cast<DISPID>(3 + i);
    }
    return *id == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD how, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    flags = how;
    if (id == 2) {
      info->scode = 0x800A0005;
      info->bstrDescription = ::SysAllocString(L"guasto");
      return DISP_E_EXCEPTION;
    }
    if (id == 20 && how == DISPATCH_PROPERTYPUTREF) return DISP_E_MEMBERNOTFOUND;
    if (id >= 3 && id < 20) return kFailures[id - 3].second;
    types.clear();
    for (UINT i = params->cArgs; i-- > 0;) {
      VARIANT& arg = params->rgvarg[i];
      types.push_back(V_VT(&arg));
      if (V_VT(&arg) == (VT_BYREF | VT_I4)) *V_I4REF(&arg) *= 2;
      if (V_VT(&arg) == (VT_BYREF | VT_VARIANT)) {
        ::VariantClear(V_VARIANTREF(&arg));
        V_VT(V_VARIANTREF(&arg)) = VT_BSTR;
        V_BSTR(V_VARIANTREF(&arg)) = ::SysAllocString(L"cambiato");
      }
    }
    named = params->cNamedArgs;
    named_id = named != 0 ? params->rgdispidNamedArgs[0] : 0;
    if (result != nullptr) {
      V_VT(result) = VT_I4;
      V_I4(result) = static_cast<LONG>(params->cArgs);
    }
    return S_OK;
  }
};

void CheckReading() {
  Recorder recorder;
  BSTR text = ::SysAllocStringLen(L"gi\u00e0\0x", 5);
  LONG long_value = -7;
  DECIMAL decimal{};
  ::VarDecFromR8(2.5, &decimal);
  const struct {
    const char* what;
    std::function<void(VARIANT&)> fill;
    Variant expected;
    int error;
  } cases[] = {
      {"empty", [](VARIANT&) {}, Empty{}, 0},
      {"null", [](VARIANT& v) { V_VT(&v) = VT_NULL; }, Null{}, 0},
      {"true", [](VARIANT& v) { V_VT(&v) = VT_BOOL, V_BOOL(&v) = VARIANT_TRUE; }, true, 0},
      {"false", [](VARIANT& v) { V_VT(&v) = VT_BOOL, V_BOOL(&v) = VARIANT_FALSE; }, false, 0},
      {"i1", [](VARIANT& v) { V_VT(&v) = VT_I1, V_I1(&v) = -5; }, int64_t{-5}, 0},
      {"ui1", [](VARIANT& v) { V_VT(&v) = VT_UI1, V_UI1(&v) = 200; }, int64_t{200}, 0},
      {"i2", [](VARIANT& v) { V_VT(&v) = VT_I2, V_I2(&v) = -32768; }, int64_t{-32768}, 0},
      {"ui2", [](VARIANT& v) { V_VT(&v) = VT_UI2, V_UI2(&v) = 65535; }, int64_t{65535}, 0},
      {"i4", [](VARIANT& v) { V_VT(&v) = VT_I4, V_I4(&v) = -2147483647 - 1; },
       int64_t{-2147483648LL}, 0},
      {"ui4", [](VARIANT& v) { V_VT(&v) = VT_UI4, V_UI4(&v) = 4294967295u; }, int64_t{4294967295LL},
       0},
      {"int", [](VARIANT& v) { V_VT(&v) = VT_INT, V_INT(&v) = -9; }, int64_t{-9}, 0},
      {"uint", [](VARIANT& v) { V_VT(&v) = VT_UINT, V_UINT(&v) = 9; }, int64_t{9}, 0},
      {"i8", [](VARIANT& v) { V_VT(&v) = VT_I8, V_I8(&v) = -(1LL << 60); }, int64_t{-(1LL << 60)},
       0},
      {"ui8 in range", [](VARIANT& v) { V_VT(&v) = VT_UI8, V_UI8(&v) = 1ULL << 62; },
       int64_t{1LL << 62}, 0},
      {"ui8 too large", [](VARIANT& v) { V_VT(&v) = VT_UI8, V_UI8(&v) = 1ULL << 63; }, Empty{}, 6},
      {"r4", [](VARIANT& v) { V_VT(&v) = VT_R4, V_R4(&v) = 1.5f; }, 1.5, 0},
      {"r8", [](VARIANT& v) { V_VT(&v) = VT_R8, V_R8(&v) = -0.125; }, -0.125, 0},
      {"currency", [](VARIANT& v) { V_VT(&v) = VT_CY, V_CY(&v).int64 = 123450; }, 12.345, 0},
      {"decimal", [&](VARIANT& v) { V_DECIMAL(&v) = decimal, V_VT(&v) = VT_DECIMAL; }, 2.5, 0},
      {"date", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = 46000.0; },
       std::string("09/12/2025"), 0},
      {"date and time", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = 46000.75; },
       std::string("09/12/2025 18:00:00"), 0},
      {"time alone", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = 0.5 + 1.0 / 86400; },
       std::string("12:00:01"), 0},
      {"date before 1899", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = -1.25; },
       std::string("29/12/1899 06:00:00"), 0},
      {"date out of range", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = 3e6; }, Empty{}, 13},
      {"text with a NUL",
       [&](VARIANT& v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = ::SysAllocStringLen(text, 5); },
       std::string("gi\xc3\xa0\0x", 6), 0},
      {"null BSTR", [](VARIANT& v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = nullptr; }, std::string(), 0},
      {"missing argument",
       [](VARIANT& v) { V_VT(&v) = VT_ERROR, V_ERROR(&v) = DISP_E_PARAMNOTFOUND; }, Empty{}, 0},
      {"error value", [](VARIANT& v) { V_VT(&v) = VT_ERROR, V_ERROR(&v) = E_FAIL; }, Empty{}, 13},
      {"Nothing", [](VARIANT& v) { V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = nullptr; }, Object(),
       0},
      {"void", [](VARIANT& v) { V_VT(&v) = VT_VOID; }, Empty{}, 13},
      {"array",
       [](VARIANT& v) {
         V_VT(&v) = VT_ARRAY | VT_VARIANT, V_ARRAY(&v) = ::SafeArrayCreateVector(VT_VARIANT, 0, 1);
       },
       Empty{}, 13},
      {"long by reference",
       [&](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_I4, V_I4REF(&v) = &long_value; }, int64_t{-7}, 0},
      {"text by reference",
       [&](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_BSTR, V_BSTRREF(&v) = &text; },
       std::string("gi\xc3\xa0\0x", 6), 0},
      {"reference to itself",
       [](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_VARIANT, V_VARIANTREF(&v) = &v; }, Empty{}, 13},
      {"null reference", [](VARIANT& v) { V_VT(&v) = VT_BYREF | VT_I4, V_I4REF(&v) = nullptr; },
       Empty{}, 13},
  };
  for (const auto& c : cases) {
    Owned v;
    c.fill(v.v);
    // The same value straight, through a reference to a variant and through
    // a reference to that reference.
    VARIANT inner;
    V_VT(&inner) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&inner) = &v.v;
    VARIANT outer;
    V_VT(&outer) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&outer) = &inner;
    for (const VARIANT* in : {&v.v, &outer}) {
      Variant got;
      const int error = ErrorOf([&] { got = FromVariant(*in); });
      Check(error == c.error, std::string(c.what) + ": error " + std::to_string(error));
      if (c.error == 0) Check(got == c.expected, std::string(c.what) + ": read " + Show(got));
    }
  }
  ::SysFreeString(text);

  // Objects: the wrapper holds one reference while it lives and writes back
  // the same object; an IUnknown without IDispatch does not convert.
  {
    Owned v;
    V_VT(&v.v) = VT_UNKNOWN;
    V_UNKNOWN(&v.v) = &recorder;
    recorder.AddRef();
    Variant object = FromVariant(v.v);
    Check(recorder.references == 3, "a read object holds one reference");
    Owned back;
    back.v = ToVariant(object);
    Check(V_VT(&back.v) == VT_DISPATCH && V_DISPATCH(&back.v) == &recorder,
          "an object is written back as itself");
    ::VariantClear(&back.v);
    object = Empty{};
  }
  Check(recorder.references == 1, "references left: " + std::to_string(recorder.references));
  struct Plain : lirvo::host::Dispatch {
    Variant Get(std::string_view) override { return Empty{}; }
  };
  Check(ErrorOf([] {
          Owned v;
          v.v = ToVariant(Object(std::make_shared<Plain>()));
        }) == 13,
        "an object that is not COM's is not written");
}

void CheckWriting() {
  const struct {
    Variant value;
    VARTYPE type;
  } cases[] = {
      {Empty{}, VT_EMPTY},
      {Null{}, VT_NULL},
      {true, VT_BOOL},
      {false, VT_BOOL},
      {int64_t{-32768}, VT_I2},
      {int64_t{32768}, VT_I4},
      {int64_t{-2147483648LL}, VT_I4},
      {int64_t{1LL << 40}, VT_I8},
      {2.75, VT_R8},
      {std::string("per\xc3\xb2\0\xf0\x9d\x84\x9e", 10), VT_BSTR},
      {Object(), VT_DISPATCH},
  };
  for (const auto& c : cases) {
    Owned v;
    v.v = ToVariant(c.value);
    Check(V_VT(&v.v) == c.type, Show(c.value) + ": type " + std::to_string(V_VT(&v.v)));
    Check(FromVariant(v.v) == c.value, Show(c.value) + ": round trip");
  }
  Owned truth;
  truth.v = ToVariant(true);
  Check(V_BOOL(&truth.v) == -1, "True is -1");
}

SAFEARRAY* Vector(VARTYPE type, LONG lower, ULONG count) {
  SAFEARRAYBOUND bound{count, lower};
  return ::SafeArrayCreate(type, 1, &bound);
}

void CheckArrays() {
  // A fixed-size array of variants with lower bound 1, as a script's Dim
  // makes it, in each form an argument takes.
  SAFEARRAY* fixed = Vector(VT_VARIANT, 1, 3);
  fixed->fFeatures |= FADF_FIXEDSIZE | FADF_STATIC;
  const ParamArray expected = ParamArray::Of({std::string("a"), int64_t{2}, Null{}}, 1);
  for (LONG i = 1; i <= 3; ++i) {
    Owned item;
    item.v = ToVariant(expected.items[static_cast<size_t>(i - 1)]);
    ::SafeArrayPutElement(fixed, &i, &item.v);
  }
  VARIANT by_value;
  V_VT(&by_value) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&by_value) = fixed;
  VARIANT by_reference;
  V_VT(&by_reference) = VT_BYREF | VT_ARRAY | VT_VARIANT;
  V_ARRAYREF(&by_reference) = &fixed;
  VARIANT to_variant;
  V_VT(&to_variant) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&to_variant) = &by_value;
  for (const VARIANT* v : {&by_value, &by_reference, &to_variant}) {
    const ParamArray got = ReadArray(*v);
    Check(got.lower_bounds == expected.lower_bounds && got.extents == expected.extents &&
              got.items == expected.items,
          "a fixed-size array of variants");
  }
  Check(ReadArray(fixed).items == expected.items, "the array itself");
  fixed->fFeatures &= ~(FADF_FIXEDSIZE | FADF_STATIC);
  ::SafeArrayDestroy(fixed);

  // Typed elements, a negative lower bound, and two dimensions read first
  // dimension fastest.
  SAFEARRAY* longs = Vector(VT_I4, -2, 2);
  LONG index = -1, value = 40;
  ::SafeArrayPutElement(longs, &index, &value);
  const ParamArray got_longs = ReadArray(longs);
  Check(got_longs.lower_bounds == std::vector<int64_t>{-2} &&
            got_longs.items == std::vector<Variant>{int64_t{0}, int64_t{40}},
        "an array of longs");
  ::SafeArrayDestroy(longs);
  SAFEARRAYBOUND bounds[] = {{2, 0}, {3, 1}};
  SAFEARRAY* grid = ::SafeArrayCreate(VT_BSTR, 2, bounds);
  for (LONG r = 0; r < 2; ++r) {
    for (LONG c = 1; c <= 3; ++c) {
      LONG at[] = {r, c};
      BSTR cell = ::SysAllocString((std::to_wstring(r) + std::to_wstring(c)).c_str());
      ::SafeArrayPutElement(grid, at, cell);
      ::SysFreeString(cell);
    }
  }
  const ParamArray got_grid = ReadArray(grid);
  Check(got_grid.extents == std::vector<int64_t>{2, 3} &&
            got_grid.items == std::vector<Variant>{std::string("01"), std::string("11"),
                                                   std::string("02"), std::string("12"),
                                                   std::string("03"), std::string("13")},
        "a two-dimensional array of texts");
  ::SafeArrayDestroy(grid);

  // Written and read back; an unallocated array is a null one.
  for (const ParamArray& a : {expected, ParamArray::Of({}, 0), ParamArray::TwoDimensional(2, 2)}) {
    SAFEARRAY* made = lirvo::win::NewArray(a);
    const ParamArray back = ReadArray(made);
    Check(back.lower_bounds == a.lower_bounds && back.extents == a.extents && back.items == a.items,
          "an array written and read back");
    ::SafeArrayDestroy(made);
  }
  Check(lirvo::win::NewArray(ParamArray::Unallocated()) == nullptr &&
            ReadArray(nullptr).lower_bounds.empty(),
        "an unallocated array");
}

void CheckRecorder() {
  Recorder recorder;
  {
    LateBound object(&recorder);
    Variant by_variant = int64_t{1};
    Variant by_long = int64_t{21};
    const Variant count = object.Call("Take", {std::string("primo"), Arg::ByRef(by_variant),
                                               Arg::ByRef(by_long, VT_I4), ParamArray::Of({true})});
    Check(count == Variant(int64_t{4}), "four arguments reach the callee");
    Check(recorder.types == std::vector<VARTYPE>{VT_BSTR, VT_BYREF | VT_VARIANT, VT_BYREF | VT_I4,
                                                 VT_ARRAY | VT_VARIANT},
          "the arguments arrive first to last");
    Check(by_variant == Variant(std::string("cambiato")) && by_long == Variant(int64_t{42}),
          "by-reference arguments come back changed");
    object.Put("Take", std::string("valore"), {int64_t{7}});
    Check(recorder.flags == DISPATCH_PROPERTYPUT && recorder.named == 1 &&
              recorder.named_id == DISPID_PROPERTYPUT &&
              recorder.types == std::vector<VARTYPE>{VT_I2, VT_BSTR},
          "a put passes its value last, named DISPID_PROPERTYPUT");
    object.Put("Take", lirvo::wintest::ObjectValue(&recorder));
    Check(recorder.flags == DISPATCH_PROPERTYPUTREF, "an object is put by reference");
    Check(recorder.lookups == 1, "a name is resolved once");
    object.Put("Value", lirvo::wintest::ObjectValue(&recorder));
    Check(recorder.flags == DISPATCH_PROPERTYPUT &&
              recorder.types == std::vector<VARTYPE>{VT_DISPATCH},
          "an object a property takes by value only is put again by value");

    // A failure becomes the runtime error a script would see.
    const struct {
      const char* member;
      int number;
      const char* description;  // part of it
    } failures[] = {
        {"Fail", 5, "guasto"},
        {"Missing", 438, ""},
        {"Count", 450, ""},
        {"Optional", 449, ""},
        {"Mismatch", 13, ""},
        {"Large", 6, ""},
        {"Memory", 7, ""},
        {"Control", 9, ""},
        // Any other HRESULT is its own number, with the member named.
        {"Refuse", static_cast<int>(E_INVALIDARG), "0x80070057"},
        {"Refuse", static_cast<int>(E_INVALIDARG), "Refuse"},
    };
    for (const auto& f : failures) {
      std::string description;
      const int number = ErrorOf([&] { object.Call(f.member); }, &description);
      Check(number == f.number && description.find(f.description) != std::string::npos,
            std::string(f.member) + ": " + std::to_string(number) + " " + description);
    }
  }
  Check(recorder.references == 1, "LateBound releases its object");
  Check(ErrorOf([] { LateBound none(nullptr); }) == 91, "no object raises 91");
}

}  // namespace

int wmain() {
  ::CoInitialize(nullptr);
  for (const auto& [name, check] : {std::pair{"reading", &CheckReading},
                                    {"writing", &CheckWriting},
                                    {"arrays", &CheckArrays},
                                    {"late binding", &CheckRecorder}}) {
    try {
      check();
    } catch (const std::exception& e) {
      Check(false, std::string(name) + ": unexpected exception: " + e.what());
    }
  }
  ::CoUninitialize();
  std::printf("adapter checks done: %d failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
