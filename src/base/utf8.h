// Low-level UTF-8 encoding and decoding of single code points.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lirvo {

// Appends the UTF-8 form of `cp` to `out`.
void AppendUtf8(std::string& out, char32_t cp);

// Decodes the code point that starts at byte `pos` of `s`. Returns the number
// of bytes it takes (1 to 4) and sets `cp`, or 0 for malformed UTF-8
// (overlong forms, surrogates, truncated sequences, stray continuation bytes).
size_t DecodeUtf8(std::string_view s, size_t pos, char32_t& cp);

// True when `s` is well-formed UTF-8.
bool IsValidUtf8(std::string_view s);

// Replaces every malformed byte with U+FFFD so the text can go out as JSON.
std::string SanitizeUtf8(std::string_view s);

}  // namespace lirvo
