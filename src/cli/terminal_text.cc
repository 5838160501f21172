#include "cli/terminal_text.h"

#include <algorithm>
#include <ostream>
#include <vector>

#include "base/text.h"
#include "base/utf8.h"

namespace lirvo::cli {
namespace {

// Appends the visible form of one code point (or of one stray byte) and
// reports it as one unit, so cuts can keep escapes whole.
template <typename Sink>
void ForEachVisibleUnit(std::string_view s, Sink&& sink) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string unit;
  for (size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const size_t n = DecodeUtf8(s, i, cp);
    unit.clear();
    if (n == 0) {
      const auto b = static_cast<unsigned char>(s[i]);
      unit = {'\\', 'x', kHex[b >> 4], kHex[b & 15]};
    } else if (cp < 0x20 || cp == 0x7f) {
      unit = {'^', static_cast<char>(cp ^ 0x40)};
    } else if (cp >= 0x80 && cp < 0xa0) {
      unit = {'M', '-', '^', static_cast<char>((cp - 0x80) ^ 0x40)};
    } else {
      unit.assign(s.substr(i, n));
    }
    i += n == 0 ? 1 : n;
    if (!sink(unit)) return;
  }
}

}  // namespace

std::string Visible(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  ForEachVisibleUnit(s, [&](const std::string& unit) {
    out += unit;
    return true;
  });
  return out;
}

std::string VisibleShortened(std::string_view s, size_t width) {
  if (width < 4) width = 4;
  std::vector<std::string> units;
  size_t shown = 0;
  bool cut = false;
  ForEachVisibleUnit(s, [&](const std::string& unit) {
    const size_t n = CharCount(unit);
    if (shown + n > width) {
      cut = true;
      return false;
    }
    units.push_back(unit);
    shown += n;
    return true;
  });
  if (cut) {
    while (shown + 3 > width) {
      shown -= CharCount(units.back());
      units.pop_back();
    }
    units.push_back("...");
  }
  std::string out;
  for (const auto& unit : units) out += unit;
  return out;
}

void WriteColumns(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width;
  for (const auto& row : rows) {
    if (width.size() < row.size()) width.resize(row.size(), 0);
    for (size_t i = 0; i < row.size(); ++i) width[i] = std::max(width[i], CharCount(row[i]));
  }
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      if (i > 0) line += "  ";
      line += row[i];
      line.append(width[i] - CharCount(row[i]), ' ');
    }
    out << RTrim(line) << '\n';
  }
}

}  // namespace lirvo::cli
