// Report text for tests: a report's header and value lines with their fixed
// columns, padded in characters (an accented letter takes one column).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "base/text.h"

namespace lirvo::test_support {

// `s` filled up with blanks to `width` characters.
inline std::string PadTo(std::string_view s, size_t width) {
  std::string out(s);
  out.append(width - std::min(width, CharCount(s)), ' ');
  return out;
}

// A report's header line (what follows "#01#"): patient code in columns
// 19-34, report date in 39-46, check-in date in 57-64, as the bundle writes
// them.
inline std::string ReportHeader(std::string_view code, std::string_view report_date = "20240315",
                                std::string_view check_in = "20240314") {
  return std::string(18, 'X') + PadTo(code, 16) + "0101" + std::string(report_date) + "0930RAD001" +
         std::string(check_in) + " RADIOLOGIA";
}

// A "#05#" value line without its line break: code, name, value, unit, low
// and high in their columns, then `tail` ("H" marks the value out of range).
inline std::string ValueLine(std::string_view code, std::string_view name, std::string_view value,
                             std::string_view unit = "mg/dl", std::string_view low = "70",
                             std::string_view high = "110", std::string_view tail = "") {
  return "#05#" + PadTo(code, 20) + PadTo(name, 90) + PadTo(value, 30) + PadTo(unit, 15) +
         PadTo(low, 25) + PadTo(high, 25) + std::string(tail);
}

}  // namespace lirvo::test_support
