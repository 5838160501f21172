// Bundle text for the command tests: reports with their fixed columns.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "base/text.h"

namespace lirvo::cli::test_support {

// `s` filled up with blanks to `width` characters.
inline std::string Pad(std::string_view s, size_t width) {
  std::string out(s);
  out.append(width - std::min(width, CharCount(s)), ' ');
  return out;
}

// One report: "#01#", the header (patient code in columns 19-34, report date
// 15/03/2024 in 39-46, check-in date 14/03/2024 in 57-64) and the body lines.
inline std::string Report(std::string_view code, const std::string& body) {
  return "#01#" + std::string(18, 'X') + Pad(code, 16) + "0101" + "20240315" + "0930RAD001" +
         "20240314" + " RADIOLOGIA\r\n" + body;
}

// A "#05#" value line in mg/dl with the range 70 - 110; `tail` after the
// fields ("H" marks the value out of range).
inline std::string LabLine(std::string_view code, std::string_view name, std::string_view value,
                           std::string_view tail = "") {
  return "#05#" + Pad(code, 20) + Pad(name, 90) + Pad(value, 30) + Pad("mg/dl", 15) +
         Pad("70", 25) + Pad("110", 25) + std::string(tail) + "\r\n";
}

}  // namespace lirvo::cli::test_support
