#include "base/cp1252.h"

#include <array>

#include "base/utf8.h"

namespace lirvo {
namespace {

// Code points of the bytes 0x80..0x9F; the rest of the table is Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char32_t Cp1252ToCodePoint(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

int CodePointToCp1252(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == cp) return 0x80 + i;
  }
  return -1;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 8);
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    // Copy runs of ASCII in one go: bundles are mostly ASCII.
    size_t j = i;
    while (j < n && static_cast<unsigned char>(bytes[j]) < 0x80) ++j;
    out.append(bytes.data() + i, j - i);
    if (j == n) break;
    AppendUtf8(out, Cp1252ToCodePoint(static_cast<unsigned char>(bytes[j])));
    i = j + 1;
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    size_t j = i;
    while (j < n && static_cast<unsigned char>(utf8[j]) < 0x80) ++j;
    out.append(utf8.data() + i, j - i);
    if (j == n) break;
    i = j;
    char32_t cp = 0;
    size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {  // malformed: one "?" per bad byte
      out.push_back('?');
      ++i;
      continue;
    }
    int b = CodePointToCp1252(cp);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
    i += len;
  }
  return out;
}

}  // namespace lirvo
