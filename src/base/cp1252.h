// The Windows-1252 codec for the single-byte files (bundles, split-off files).
// Decoding maps all 256 byte values: the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters with
// the same code, as the Windows converter does, so every byte string survives
// a round trip. Encoding writes "?" for a character Windows-1252 cannot hold
// and for every byte of malformed UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace lirvo {

// Windows-1252 bytes to UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252 bytes.
std::string Utf8ToCp1252(std::string_view utf8);

// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a code point, or -1 when it has none.
int CodePointToCp1252(char32_t cp);

}  // namespace lirvo
