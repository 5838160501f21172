// Text helpers on UTF-8 with character (not byte) semantics, behaving like the
// string functions of the host's scripting runtime where the plug-in relies
// on them: positions are 1-based, Trim removes blanks only (not tabs or line
// breaks), comparisons are binary unless a function says "Text".
//
// A malformed UTF-8 byte counts as one character, so no input makes these
// functions fail.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lirvo {

inline constexpr size_t kToEnd = static_cast<size_t>(-1);

// Number of characters in `s`.
size_t CharCount(std::string_view s);

// Byte offset of the character with 0-based index `index`, or s.size() when
// the text is shorter.
size_t ByteOffsetOfChar(std::string_view s, size_t index);

// Characters `start` (1-based) to `start + length - 1`; shorter when the text
// ends first, empty when `start` is past the end. `start` 0 is taken as 1.
std::string_view Mid(std::string_view s, size_t start, size_t length = kToEnd);
std::string_view Left(std::string_view s, size_t length);
std::string_view Right(std::string_view s, size_t length);

// `s` in a fixed-width buffer of `width` characters: cut to it, or filled up
// with blanks.
std::string FixedWidth(std::string_view s, size_t width);

// Blanks (U+0020) only.
std::string_view Trim(std::string_view s);
std::string_view LTrim(std::string_view s);
std::string_view RTrim(std::string_view s);

// 1-based character position of the first `needle` at or after character
// `start`, or 0. An empty needle is found at `start` (when start <= len + 1);
// an empty haystack contains nothing.
size_t InStr(std::string_view haystack, std::string_view needle, size_t start = 1);
// The same without regard to letter case.
size_t InStrText(std::string_view haystack, std::string_view needle, size_t start = 1);

bool Contains(std::string_view haystack, std::string_view needle);

// Every occurrence of `find` replaced by `with`, scanning left to right.
// An empty `find` returns the text unchanged.
std::string Replace(std::string_view s, std::string_view find, std::string_view with);

// Upper and lower case, including accented Latin letters (à -> À, ÿ -> Ÿ).
std::string UCase(std::string_view s);
std::string LCase(std::string_view s);
char32_t UpperCodePoint(char32_t cp);
char32_t LowerCodePoint(char32_t cp);

// Equality without regard to letter case.
bool EqualsText(std::string_view a, std::string_view b);

// True when the text reads as a number with the Italian conventions: optional
// blanks around, an optional sign, digits with "." as thousands separator, at
// most one decimal comma, an optional exponent ("1,5E3"). "" is not numeric.
bool IsNumeric(std::string_view s);

// Pieces of `s` between occurrences of `delimiter` (non-empty). A text
// without the delimiter gives one piece; an empty text gives one empty piece.
std::vector<std::string_view> Split(std::string_view s, std::string_view delimiter);

std::string Join(const std::vector<std::string>& parts, std::string_view separator);

}  // namespace lirvo
