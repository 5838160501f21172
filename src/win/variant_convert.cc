#include "win/variant_convert.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "base/dates.h"
#include "base/runtime_error.h"
#include "win/late_bound.h"
#include "win/wide_text.h"

namespace lirvo::win {
namespace {

[[noreturn]] void Mismatch() { throw RuntimeError(kErrTypeMismatch); }

// An OLE date counts days from 30 December 1899; its fraction is the time
// of day whatever the sign of the whole part.
std::string DateText(double date) {
  // The dates the runtime takes: 1 January 100 to 31 December 9999.
  if (!std::isfinite(date) || date < -657434.0 || date >= 2958466.0) Mismatch();
  double whole = std::trunc(date);
  long long seconds = std::llround(std::fabs(date - whole) * 86400.0);
  if (seconds >= 86400) {
    seconds = 0;
    whole += 1;
  }
  const bool has_time = seconds != 0;
  char time[16];
  std::snprintf(time, sizeof time, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  if (whole == 0) return time;
  const Date day = CivilFromDays(DaysFromCivil(1899, 12, 30) + static_cast<int64_t>(whole));
  return has_time ? FormatDate(day) + " " + time : FormatDate(day);
}

host::Variant ObjectOf(IUnknown* unknown) {
  if (unknown == nullptr) return std::shared_ptr<host::Dispatch>();
  IDispatch* dispatch = nullptr;
  if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) ||
      dispatch == nullptr) {
    Mismatch();
  }
  std::shared_ptr<host::Dispatch> object;
  try {
    object = std::make_shared<ComObject>(dispatch);
  } catch (...) {
    dispatch->Release();
    throw;
  }
  dispatch->Release();
  return object;
}

template <class T>
T At(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

// The value of type `type` stored at `data`: a VARIANT's own field, what a
// reference points to, or an array's element.
host::Variant ReadValue(VARTYPE type, const void* data) {
  switch (type) {
    case VT_EMPTY:
      return host::Empty{};
    case VT_NULL:
      return host::Null{};
    case VT_BOOL:
      return At<VARIANT_BOOL>(data) != VARIANT_FALSE;
    case VT_I1:
      return int64_t{At<signed char>(data)};
    case VT_UI1:
      return int64_t{At<unsigned char>(data)};
    case VT_I2:
      return int64_t{At<SHORT>(data)};
    case VT_UI2:
      return int64_t{At<USHORT>(data)};
    case VT_I4:
      return int64_t{At<LONG>(data)};
    case VT_UI4:
      return int64_t{At<ULONG>(data)};
    case VT_INT:
      return int64_t{At<INT>(data)};
    case VT_UINT:
      return int64_t{At<UINT>(data)};
    case VT_I8:
      return int64_t{At<LONGLONG>(data)};
    case VT_UI8: {
      const auto value = At<ULONGLONG>(data);
      if (value > static_cast<ULONGLONG>(std::numeric_limits<int64_t>::max())) {
        throw RuntimeError(kErrOverflow);
      }
      return static_cast<int64_t>(value);
    }
    case VT_R4:
      return double{At<float>(data)};
    case VT_R8:
      return At<double>(data);
    case VT_CY:
      return static_cast<double>(At<CY>(data).int64) / 10000.0;
    case VT_DECIMAL: {
      DECIMAL decimal = At<DECIMAL>(data);
      double value = 0;
      if (FAILED(::VarR8FromDec(&decimal, &value))) Mismatch();
      return value;
    }
    case VT_DATE:
      return DateText(At<DATE>(data));
    case VT_BSTR:
      return Utf8(At<BSTR>(data));
    case VT_DISPATCH:
      return ObjectOf(At<IDispatch*>(data));
    case VT_UNKNOWN:
      return ObjectOf(At<IUnknown*>(data));
    case VT_VARIANT:
      return FromVariant(*static_cast<const VARIANT*>(data));
    case VT_ERROR:
      // What a caller passes for an argument it leaves out.
      if (At<SCODE>(data) == DISP_E_PARAMNOTFOUND) return host::Empty{};
      Mismatch();
    default:
      Mismatch();
  }
}

// A reference to a variant, possibly to another reference, ends at the
// variant that holds the value. A chain longer than any caller makes (one
// that loops) does not convert.
const VARIANT& Target(const VARIANT& v) {
  const VARIANT* p = &v;
  for (int depth = 0; V_VT(p) == (VT_BYREF | VT_VARIANT); ++depth) {
    p = V_VARIANTREF(p);
    if (p == nullptr || depth == 64) Mismatch();
  }
  return *p;
}

// Keeps an array locked while its elements are read or written.
class Locked {
 public:
  explicit Locked(SAFEARRAY* array) : array_(array) {
    if (FAILED(::SafeArrayLock(array_))) Mismatch();
  }
  ~Locked() { ::SafeArrayUnlock(array_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  SAFEARRAY* array_;
};

host::ParamArray ReadElements(SAFEARRAY* array, VARTYPE type) {
  if (array == nullptr || ::SafeArrayGetDim(array) == 0) return host::ParamArray::Unallocated();
  if (type == VT_VARIANT ? array->cbElements != sizeof(VARIANT) : array->cbElements == 0) {
    Mismatch();
  }
  host::ParamArray out;
  size_t count = 1;
  // Dimension 1 is the leftmost, whose index varies fastest in memory.
  for (UINT d = 1; d <= ::SafeArrayGetDim(array); ++d) {
    LONG lower = 0;
    LONG upper = 0;
    if (FAILED(::SafeArrayGetLBound(array, d, &lower)) ||
        FAILED(::SafeArrayGetUBound(array, d, &upper))) {
      Mismatch();
    }
    const int64_t extent = int64_t{upper} - lower + 1;
    out.lower_bounds.push_back(lower);
    out.extents.push_back(extent < 0 ? 0 : extent);
    count *= static_cast<size_t>(out.extents.back());
  }
  const Locked lock(array);
  const auto* data = static_cast<const unsigned char*>(array->pvData);
  if (count != 0 && data == nullptr) Mismatch();
  out.items.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    out.items.push_back(ReadValue(type, data + i * array->cbElements));
  }
  return out;
}

}  // namespace

host::Variant FromVariant(const VARIANT& v) {
  const VARIANT& target = Target(v);
  const VARTYPE vt = V_VT(&target);
  if ((vt & ~(VT_BYREF | VT_TYPEMASK)) != 0) Mismatch();  // arrays, vectors
  const VARTYPE type = vt & VT_TYPEMASK;
  if ((vt & VT_BYREF) == 0) {
    // A DECIMAL fills the whole VARIANT; every other value sits in its union.
    return type == VT_DECIMAL ? ReadValue(type, &V_DECIMAL(&target))
                              : ReadValue(type, &V_I8(&target));
  }
  if (V_BYREF(&target) == nullptr) Mismatch();
  return ReadValue(type, V_BYREF(&target));
}

VARIANT ToVariant(const host::Variant& value) {
  VARIANT out;
  ::VariantInit(&out);
  if (std::holds_alternative<host::Null>(value)) {
    V_VT(&out) = VT_NULL;
  } else if (auto b = std::get_if<bool>(&value)) {
    V_VT(&out) = VT_BOOL;
    V_BOOL(&out) = *b ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (auto i = std::get_if<int64_t>(&value)) {
    if (*i >= std::numeric_limits<SHORT>::min() && *i <= std::numeric_limits<SHORT>::max()) {
      V_VT(&out) = VT_I2;
      V_I2(&out) = static_cast<SHORT>(*i);
    } else if (*i >= std::numeric_limits<LONG>::min() && *i <= std::numeric_limits<LONG>::max()) {
      V_VT(&out) = VT_I4;
      V_I4(&out) = static_cast<LONG>(*i);
    } else {
      V_VT(&out) = VT_I8;
      V_I8(&out) = *i;
    }
  } else if (auto d = std::get_if<double>(&value)) {
    V_VT(&out) = VT_R8;
    V_R8(&out) = *d;
  } else if (auto s = std::get_if<std::string>(&value)) {
    V_BSTR(&out) = NewBstr(*s);
    V_VT(&out) = VT_BSTR;
  } else if (auto o = std::get_if<std::shared_ptr<host::Dispatch>>(&value)) {
    IDispatch* object = nullptr;
    if (*o != nullptr) {
      auto* com = dynamic_cast<ComObject*>(o->get());
      if (com == nullptr) Mismatch();
      object = com->Late().Object();
      object->AddRef();
    }
    V_VT(&out) = VT_DISPATCH;
    V_DISPATCH(&out) = object;
  }
  return out;
}

void AssignVariant(const host::Variant& value, VARIANT& out) {
  VARIANT fresh = ToVariant(value);
  ::VariantClear(&out);
  out = fresh;
}

host::ParamArray ReadArray(SAFEARRAY* array) {
  if (array == nullptr) return host::ParamArray::Unallocated();
  VARTYPE type = VT_EMPTY;
  if (FAILED(::SafeArrayGetVartype(array, &type))) Mismatch();
  return ReadElements(array, type);
}

host::ParamArray ReadArray(const VARIANT& v) {
  const VARIANT& target = Target(v);
  const VARTYPE vt = V_VT(&target);
  if ((vt & VT_ARRAY) == 0 || (vt & ~(VT_ARRAY | VT_BYREF | VT_TYPEMASK)) != 0) Mismatch();
  SAFEARRAY* array = nullptr;
  if ((vt & VT_BYREF) != 0) {
    if (V_ARRAYREF(&target) == nullptr) Mismatch();
    array = *V_ARRAYREF(&target);
  } else {
    array = V_ARRAY(&target);
  }
  return ReadElements(array, vt & VT_TYPEMASK);
}

SAFEARRAY* NewArray(const host::ParamArray& array) {
  const size_t dims = array.lower_bounds.size();
  if (dims == 0) return nullptr;
  if (array.extents.size() != dims) throw RuntimeError(kErrInvalidCall);
  std::vector<SAFEARRAYBOUND> bounds(dims);
  size_t count = 1;
  for (size_t d = 0; d < dims; ++d) {
    const int64_t lower = array.lower_bounds[d];
    const int64_t extent = array.extents[d];
    if (lower < std::numeric_limits<LONG>::min() || lower > std::numeric_limits<LONG>::max() ||
        extent < 0 || extent > std::numeric_limits<LONG>::max()) {
      throw RuntimeError(kErrOverflow);
    }
    bounds[d] = {static_cast<ULONG>(extent), static_cast<LONG>(lower)};
    count *= static_cast<size_t>(extent);
  }
  if (count != array.items.size()) throw RuntimeError(kErrInvalidCall);
  SAFEARRAY* out = ::SafeArrayCreate(VT_VARIANT, static_cast<UINT>(dims), bounds.data());
  if (out == nullptr) throw std::bad_alloc();
  try {
    const Locked lock(out);
    auto* data = static_cast<VARIANT*>(out->pvData);
    for (size_t i = 0; i < count; ++i) AssignVariant(array.items[i], data[i]);
  } catch (...) {
    ::SafeArrayDestroy(out);
    throw;
  }
  return out;
}

}  // namespace lirvo::win
