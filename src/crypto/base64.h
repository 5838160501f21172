// Base64 with the RFC 4648 alphabet ("A"-"Z", "a"-"z", "0"-"9", "+", "/",
// "=" as padding), and the extraction of the Base64 body of a MIME message.
// Everything here works on bytes: one byte is one character.
#pragma once

#include <string>
#include <string_view>

namespace lirvo::crypto {

// The Base64 form of `bytes`, padded with "=", without line breaks.
std::string Base64Encode(std::string_view bytes);

// Tolerant decoding: bytes outside the alphabet (line breaks, blanks, any
// other byte) are skipped; "=" is a symbol of value 64. Every four symbols
// give three bytes, one fewer when the fourth is "=" and one fewer again when
// the third is "=" too; symbols after the last whole group are ignored. Input
// shorter than four bytes gives "". Never fails.
std::string Base64Decode(std::string_view text);

// The decoded Base64 body of a MIME message, or of a bare Base64 text.
// With a "boundary=" (any case), each part between the "--" boundary lines
// is searched for its first line (CR LF counted as a line break) longer than
// 50 bytes with no ";", blank, ":", double quote or "=" in its first 49
// bytes; the data runs from there to the next "--" or the end of the part.
// Without a boundary the whole message is that one part. The result is the
// decoding of the last part: "" when that part has no such line.
std::string DecodeMimeBody(std::string_view message);

}  // namespace lirvo::crypto
