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

// A report piece of the patient `code` (columns 19-34): report date
// 15/03/2024 (39-46), check-in date 14/03/2024 (57-64), then the body lines.
inline std::string Piece(std::string_view code, const std::string& body) {
  return std::string(18, 'X') + Padded(code, 16) + "0101" + "20240315" + "0930RAD001" + "20240314" +
         " RADIOLOGIA\r\n" + body;
}

// The same piece with the "#01#" that opens it in a bundle.
inline std::string Report(std::string_view code, const std::string& body) {
  return "#01#" + Piece(code, body);
}

inline std::string TextPiece(std::string_view code) {
  return Piece(code, "#04#88.73.5 ECOGRAFIA MAMMARIA\r\nNessuna lesione focale.\r\n");
}

// A "#05#" value line in mg/dl; `high_mark` ends it with "H" (the value out
// of range gets the "*" mark).
inline std::string Lab(std::string_view code, std::string_view name, std::string_view value,
                       std::string_view low = "70", std::string_view high = "110",
                       bool high_mark = false) {
  return "#05#" + Padded(code, 20) + Padded(name, 90) + Padded(value, 30) + Padded("mg/dl", 15) +
         Padded(low, 25) + Padded(high, 25) + (high_mark ? "H" : "") + "\r\n";
}

}  // namespace lirvo::test_support
