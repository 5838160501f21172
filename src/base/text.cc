#include "base/text.h"

#include "base/utf8.h"

namespace lirvo {
namespace {

// Byte length of the character starting at `pos` (1 for a malformed byte).
inline size_t CharLen(std::string_view s, size_t pos) {
  if (static_cast<unsigned char>(s[pos]) < 0x80) return 1;
  char32_t cp;
  size_t len = DecodeUtf8(s, pos, cp);
  return len == 0 ? 1 : len;
}

// Advances `pos` by up to `count` characters; returns the new byte offset.
inline size_t Advance(std::string_view s, size_t pos, size_t count) {
  const size_t n = s.size();
  while (count > 0 && pos < n) {
    pos += CharLen(s, pos);
    --count;
  }
  return pos;
}

template <typename Fn>
std::string MapCase(std::string_view s, Fn fn) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    char32_t cp;
    size_t len = DecodeUtf8(s, i, cp);
    if (len == 0) {
      out.push_back(s[i++]);
      continue;
    }
    AppendUtf8(out, fn(cp));
    i += len;
  }
  return out;
}

}  // namespace

size_t CharCount(std::string_view s) {
  size_t count = 0;
  size_t i = 0;
  while (i < s.size()) {
    i += CharLen(s, i);
    ++count;
  }
  return count;
}

size_t ByteOffsetOfChar(std::string_view s, size_t index) { return Advance(s, 0, index); }

std::string_view Mid(std::string_view s, size_t start, size_t length) {
  if (start == 0) start = 1;
  size_t begin = Advance(s, 0, start - 1);
  if (begin >= s.size() || length == 0) return {};
  size_t end = length == kToEnd ? s.size() : Advance(s, begin, length);
  return s.substr(begin, end - begin);
}

std::string_view Left(std::string_view s, size_t length) {
  return s.substr(0, Advance(s, 0, length));
}

std::string FixedWidth(std::string_view s, size_t width) {
  std::string buffer(Left(s, width));
  buffer.append(width - CharCount(buffer), ' ');
  return buffer;
}

std::string_view Right(std::string_view s, size_t length) {
  size_t count = CharCount(s);
  if (length >= count) return s;
  return s.substr(Advance(s, 0, count - length));
}

std::string_view LTrim(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && s[b] == ' ') ++b;
  return s.substr(b);
}

std::string_view RTrim(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] == ' ') --e;
  return s.substr(0, e);
}

std::string_view Trim(std::string_view s) { return RTrim(LTrim(s)); }

size_t InStr(std::string_view haystack, std::string_view needle, size_t start) {
  if (start == 0) start = 1;
  // An empty text contains nothing, not even the empty text.
  if (haystack.empty()) return 0;
  size_t from = Advance(haystack, 0, start - 1);
  if (CharCount(haystack.substr(0, from)) < start - 1) return 0;
  if (needle.empty()) return start;
  size_t at = haystack.find(needle, from);
  if (at == std::string_view::npos) return 0;
  return CharCount(haystack.substr(0, at)) + 1;
}

size_t InStrText(std::string_view haystack, std::string_view needle, size_t start) {
  return InStr(UCase(haystack), UCase(needle), start);
}

bool Contains(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != std::string_view::npos;
}

std::string Replace(std::string_view s, std::string_view find, std::string_view with) {
  if (find.empty()) return std::string(s);
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  while (true) {
    size_t at = s.find(find, pos);
    if (at == std::string_view::npos) break;
    out.append(s.substr(pos, at - pos));
    out.append(with);
    pos = at + find.size();
  }
  out.append(s.substr(pos));
  return out;
}

char32_t UpperCodePoint(char32_t cp) {
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp < 0x80) return cp;
  if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 32;
  if (cp == 0xFF) return 0x178;
  if (cp == 0xB5) return 0x39C;
  // Latin Extended-A: pairs upper/lower at even/odd code points, with two
  // stretches where the pairs are odd/even.
  if (cp >= 0x100 && cp <= 0x17F) {
    const bool odd_even = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (odd_even) return (cp % 2 == 0) ? cp - 1 : cp;
    if (cp == 0x131 || cp == 0x138 || cp == 0x149 || cp == 0x17F) return cp;
    return (cp % 2 == 1) ? cp - 1 : cp;
  }
  return cp;
}

char32_t LowerCodePoint(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 32;
  if (cp < 0x80) return cp;
  if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 32;
  if (cp == 0x178) return 0xFF;
  if (cp >= 0x100 && cp <= 0x17F) {
    const bool odd_even = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (odd_even) return (cp % 2 == 1) ? cp + 1 : cp;
    if (cp == 0x130 || cp == 0x138 || cp == 0x149 || cp == 0x17F) return cp;
    return (cp % 2 == 0) ? cp + 1 : cp;
  }
  return cp;
}

std::string UCase(std::string_view s) { return MapCase(s, UpperCodePoint); }
std::string LCase(std::string_view s) { return MapCase(s, LowerCodePoint); }

bool EqualsText(std::string_view a, std::string_view b) { return UCase(a) == UCase(b); }

bool IsNumeric(std::string_view s) {
  s = Trim(s);
  size_t i = 0;
  const size_t n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  bool comma = false;
  bool last_was_dot = false;
  for (; i < n; ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      last_was_dot = false;
    } else if (c == '.' && !comma && digits > 0) {
      last_was_dot = true;  // thousands separator
    } else if (c == ',' && !comma) {
      comma = true;
      last_was_dot = false;
    } else {
      break;
    }
  }
  if (digits == 0 || last_was_dot) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exp_digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  return i == n;
}

std::vector<std::string_view> Split(std::string_view s, std::string_view delimiter) {
  std::vector<std::string_view> parts;
  if (delimiter.empty()) {
    parts.push_back(s);
    return parts;
  }
  size_t pos = 0;
  while (true) {
    size_t at = s.find(delimiter, pos);
    if (at == std::string_view::npos) break;
    parts.push_back(s.substr(pos, at - pos));
    pos = at + delimiter.size();
  }
  parts.push_back(s.substr(pos));
  return parts;
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out.append(separator);
    out.append(parts[i]);
  }
  return out;
}

}  // namespace lirvo
