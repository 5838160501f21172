// Text from bundles and from the archive made safe for a terminal, for the
// human output of the commands (JSON output escapes on its own).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace lirvo::cli {

// `s` with every control character made visible, so that nothing it holds
// can drive the terminal (move the cursor, change colours, ring the bell,
// set the window title):
//   C0 and DEL in caret notation: NUL "^@", BEL "^G", TAB "^I", LF "^J",
//     ESC "^[", DEL "^?";
//   C1 (U+0080 to U+009F) as "M-" and the caret form of its low bits:
//     U+009B (CSI) "M-^[";
//   a byte that is not part of well-formed UTF-8 as "\xHH".
// Everything else passes unchanged.
std::string Visible(std::string_view s);

// Visible(s) cut to `width` characters (at least 4), ending with "..." when
// it was longer. A cut never splits an escape.
std::string VisibleShortened(std::string_view s, size_t width);

// Writes `rows` (the heading first) in aligned columns: each cell padded to
// the widest of its column, in characters, columns two blanks apart,
// trailing blanks dropped. The cells are written as they are, so they must
// be visible already.
void WriteColumns(std::ostream& out, const std::vector<std::vector<std::string>>& rows);

}  // namespace lirvo::cli
