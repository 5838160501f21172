// Report text as a bundle carries it, with its fixed columns: for the tests
// that build bundles or report pieces by hand.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "base/text.h"

namespace lirvo::test_support {

// `s` filled up with blanks to `width` characters.
inline std::string Padded(std::string_view s, size_t width) {
  std::string out(s);
  out.append(width - std::min(width, CharCount(s)), ' ');
  return out;
}

// A report's header line (what follows "#01#", without its line break):
// patient code in columns 19-34, report date in 39-46, check-in date in
// 57-64, as the bundle writes them.
inline std::string ReportHeader(std::string_view code, std::string_view report_date = "20240315",
                                std::string_view check_in = "20240314") {
  return std::string(18, 'X') + Padded(code, 16) + "0101" + std::string(report_date) +
         "0930RAD001" + std::string(check_in) + " RADIOLOGIA";
}

// A report piece of the patient `code`: the header above (report date
// 15/03/2024, check-in date 14/03/2024), then the body lines.
inline std::string Piece(std::string_view code, const std::string& body) {
  return ReportHeader(code) + "\r\n" + body;
}

// The same piece with the "#01#" that opens it in a bundle.
inline std::string Report(std::string_view code, const std::string& body) {
  return "#01#" + Piece(code, body);
}

inline std::string TextPiece(std::string_view code) {
  return Piece(code, "#04#88.73.5 ECOGRAFIA MAMMARIA\r\nNessuna lesione focale.\r\n");
}

// A "#05#" value line without its line break: code, name, value, unit, low
// and high in their columns, then `tail` ("H" marks the value out of range).
inline std::string ValueLine(std::string_view code, std::string_view name, std::string_view value,
                             std::string_view unit = "mg/dl", std::string_view low = "70",
                             std::string_view high = "110", std::string_view tail = "") {
  return "#05#" + Padded(code, 20) + Padded(name, 90) + Padded(value, 30) + Padded(unit, 15) +
         Padded(low, 25) + Padded(high, 25) + std::string(tail);
}

// A value line in mg/dl with its line break; `high_mark` ends it with "H"
// (the value out of range gets the "*" mark).
inline std::string Lab(std::string_view code, std::string_view name, std::string_view value,
                       std::string_view low = "70", std::string_view high = "110",
                       bool high_mark = false) {
  return ValueLine(code, name, value, "mg/dl", low, high, high_mark ? "H" : "") + "\r\n";
}

}  // namespace lirvo::test_support
