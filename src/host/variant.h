// Values that travel between the host and the plug-in: the elements of an
// event's parameter array and the loosely typed members of host objects.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lirvo::host {

struct Empty {
  friend bool operator==(Empty, Empty) { return true; }
};
struct Null {
  friend bool operator==(Null, Null) { return true; }
};

class Dispatch;

// Empty, Null, a Boolean, a whole number, a decimal number, a text, or a host
// object reached by member name.
using Variant =
    std::variant<Empty, Null, bool, int64_t, double, std::string, std::shared_ptr<Dispatch>>;

// A host object whose members are looked up by name at run time. A member the
// object lacks raises error 438.
class Dispatch {
 public:
  virtual ~Dispatch() = default;
  virtual Variant Get(std::string_view member) = 0;
};

// Conversions with the runtime's rules; they throw RuntimeError 13 (type
// mismatch) or 6 (overflow) where the runtime would.
int32_t ToLong(const Variant& v);                      // rounds half to even, like CLng
std::string ToText(const Variant& v);                  // CStr; Null raises 94 (invalid use of Null)
bool ToBoolean(const Variant& v);                      // CBool; Null counts as False
std::shared_ptr<Dispatch> ToObject(const Variant& v);  // raises 91 when not an object

// The JSON-friendly text of a value, for transcripts ("null" for Null).
std::string Describe(const Variant& v);

// An event's parameter array. Only a one-dimensional array that has an
// element with index 0 has a Param(0).
struct ParamArray {
  std::vector<int64_t> lower_bounds;  // one per dimension; empty = never dimensioned
  std::vector<int64_t> extents;       // element count per dimension
  std::vector<Variant> items;         // all elements, first dimension fastest

  static ParamArray Unallocated() { return {}; }
  static ParamArray Of(std::vector<Variant> items, int64_t lower_bound = 0);
  static ParamArray TwoDimensional(int64_t rows, int64_t columns);

  // Param(0), or nothing for an unallocated, empty or multi-dimensional
  // array, or one whose bounds do not include 0.
  const Variant* Element0() const;
};

}  // namespace lirvo::host
