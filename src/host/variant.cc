#include "host/variant.h"

#include <cmath>
#include <limits>

#include "base/runtime_error.h"
#include "base/text.h"

namespace lirvo::host {
namespace {

int32_t RoundToLong(double d) {
  if (std::isnan(d) || d < -2147483648.5 || d >= 2147483647.5) throw RuntimeError(kErrOverflow);
  return static_cast<int32_t>(std::nearbyint(d));  // the default rounding is half to even
}

// Reads a number the way the runtime reads one in Italian: "." groups
// thousands, "," is the decimal mark.
double ParseNumber(std::string_view s) {
  if (!IsNumeric(s)) throw RuntimeError(kErrTypeMismatch);
  std::string plain;
  for (char c : Trim(s)) {
    if (c == '.') continue;
    plain.push_back(c == ',' ? '.' : (c == 'd' || c == 'D') ? 'e' : c);
  }
  return std::stod(plain);
}

}  // namespace

int32_t ToLong(const Variant& v) {
  if (std::holds_alternative<Empty>(v)) return 0;
  if (std::holds_alternative<Null>(v)) throw RuntimeError(kErrInvalidUseOfNull);
  if (auto b = std::get_if<bool>(&v)) return *b ? -1 : 0;
  if (auto i = std::get_if<int64_t>(&v)) {
    if (*i < std::numeric_limits<int32_t>::min() || *i > std::numeric_limits<int32_t>::max()) {
      throw RuntimeError(kErrOverflow);
    }
    return static_cast<int32_t>(*i);
  }
  if (auto d = std::get_if<double>(&v)) return RoundToLong(*d);
  if (auto s = std::get_if<std::string>(&v)) return RoundToLong(ParseNumber(*s));
  throw RuntimeError(kErrTypeMismatch);
}

std::string ToText(const Variant& v) {
  if (std::holds_alternative<Empty>(v)) return "";
  if (std::holds_alternative<Null>(v)) throw RuntimeError(kErrInvalidUseOfNull);
  if (auto b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (auto i = std::get_if<int64_t>(&v)) return std::to_string(*i);
  if (auto d = std::get_if<double>(&v)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", *d);
    return Replace(buf, ".", ",");
  }
  if (auto s = std::get_if<std::string>(&v)) return *s;
  throw RuntimeError(kErrTypeMismatch);
}

bool ToBoolean(const Variant& v) {
  if (std::holds_alternative<Empty>(v) || std::holds_alternative<Null>(v)) return false;
  if (auto b = std::get_if<bool>(&v)) return *b;
  if (auto i = std::get_if<int64_t>(&v)) return *i != 0;
  if (auto d = std::get_if<double>(&v)) return *d != 0;
  if (auto s = std::get_if<std::string>(&v)) {
    if (EqualsText(*s, "True")) return true;
    if (EqualsText(*s, "False")) return false;
    return ParseNumber(*s) != 0;
  }
  throw RuntimeError(kErrTypeMismatch);
}

std::shared_ptr<Dispatch> ToObject(const Variant& v) {
  auto o = std::get_if<std::shared_ptr<Dispatch>>(&v);
  if (o == nullptr || *o == nullptr) throw RuntimeError(kErrObjectNotSet);
  return *o;
}

std::string Describe(const Variant& v) {
  if (std::holds_alternative<Empty>(v)) return "";
  if (std::holds_alternative<Null>(v)) return "null";
  if (std::holds_alternative<std::shared_ptr<Dispatch>>(v)) return "[object]";
  return ToText(v);
}

ParamArray ParamArray::Of(std::vector<Variant> items, int64_t lower_bound) {
  ParamArray p;
  p.lower_bounds = {lower_bound};
  p.extents = {static_cast<int64_t>(items.size())};
  p.items = std::move(items);
  return p;
}

ParamArray ParamArray::TwoDimensional(int64_t rows, int64_t columns) {
  ParamArray p;
  p.lower_bounds = {0, 0};
  p.extents = {rows, columns};
  p.items.resize(static_cast<size_t>(rows * columns));
  return p;
}

const Variant* ParamArray::Element0() const {
  if (lower_bounds.size() != 1 || extents.size() != 1) return nullptr;
  const int64_t index = 0 - lower_bounds[0];
  if (index < 0 || index >= extents[0] || static_cast<size_t>(index) >= items.size()) {
    return nullptr;
  }
  return &items[static_cast<size_t>(index)];
}

}  // namespace lirvo::host
