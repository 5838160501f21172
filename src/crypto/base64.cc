#include "crypto/base64.h"

#include <array>
#include <cstdint>

#include "base/text.h"

namespace lirvo::crypto {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr uint8_t kSkip = 0xFF;
constexpr uint8_t kPad = 64;

constexpr std::array<uint8_t, 256> MakeDecodeTable() {
  std::array<uint8_t, 256> table{};
  for (auto& v : table) v = kSkip;
  for (int i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<uint8_t>(i);
  table['='] = kPad;
  return table;
}
constexpr std::array<uint8_t, 256> kDecode = MakeDecodeTable();

// A line qualifies as the start of the Base64 data when it is longer than 50
// bytes and its first 49 bytes hold none of these.
constexpr std::string_view kHeaderMarks = "; :\"=";
constexpr size_t kMinDataLine = 51;
constexpr size_t kCheckedPrefix = 49;

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Position of `needle` (upper-case ASCII) in `hay`, ignoring ASCII case.
size_t FindNoCase(std::string_view hay, std::string_view needle) {
  if (needle.size() > hay.size()) return std::string_view::npos;
  for (size_t i = 0; i + needle.size() <= hay.size(); ++i) {
    size_t j = 0;
    while (j < needle.size() && AsciiUpper(hay[i + j]) == needle[j]) ++j;
    if (j == needle.size()) return i;
  }
  return std::string_view::npos;
}

std::string DecodePart(std::string_view part) {
  size_t pos = 0;
  while (true) {
    const size_t lf = part.find('\n', pos);
    const size_t end = lf == std::string_view::npos ? part.size() : lf;
    size_t length = end - pos;
    if (lf != std::string_view::npos && length > 0 && part[end - 1] == '\r') --length;
    if (length >= kMinDataLine &&
        part.substr(pos, kCheckedPrefix).find_first_of(kHeaderMarks) == std::string_view::npos) {
      const size_t dashes = part.find("--", pos);
      return Base64Decode(part.substr(
          pos, dashes == std::string_view::npos ? std::string_view::npos : dashes - pos));
    }
    if (lf == std::string_view::npos) return "";
    pos = lf + 1;
  }
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out((bytes.size() + 2) / 3 * 4, '=');
  const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
  char* o = out.data();
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3, o += 4) {
    const uint32_t v =
        static_cast<uint32_t>(in[i]) << 16 | static_cast<uint32_t>(in[i + 1]) << 8 | in[i + 2];
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    o[2] = kAlphabet[(v >> 6) & 63];
    o[3] = kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    const uint32_t v = static_cast<uint32_t>(in[i]) << 16 |
                       (rest == 2 ? static_cast<uint32_t>(in[i + 1]) << 8 : 0);
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    if (rest == 2) o[2] = kAlphabet[(v >> 6) & 63];
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  if (text.size() < 4) return "";
  std::string out(text.size() / 4 * 3, '\0');
  char* o = out.data();
  uint8_t group[4];
  int filled = 0;
  for (const char c : text) {
    const uint8_t v = kDecode[static_cast<uint8_t>(c)];
    if (v == kSkip) continue;
    group[filled++] = v;
    if (filled < 4) continue;
    filled = 0;
    // "=" keeps its value 64 in the arithmetic; only the byte count shrinks.
    *o++ = static_cast<char>(group[0] << 2 | group[1] >> 4);
    if (group[3] == kPad && group[2] == kPad) continue;
    *o++ = static_cast<char>((group[1] & 0x0F) << 4 | group[2] >> 2);
    if (group[3] == kPad) continue;
    *o++ = static_cast<char>((group[2] & 0x03) << 6 | group[3]);
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string DecodeMimeBody(std::string_view message) {
  const size_t mark = FindNoCase(message, "BOUNDARY=");
  if (mark == std::string_view::npos) return DecodePart(message);

  const size_t value = mark + 9;
  const size_t lf = message.find('\n', value);
  std::string boundary;
  for (const char c : message.substr(value, lf == std::string_view::npos ? lf : lf - value)) {
    if (c != '"' && c != '\r') boundary += c;
  }
  const std::string separator = "--" + std::string(Trim(boundary));

  // The parts lie between consecutive separators; only the last one counts.
  size_t previous = message.find(separator);
  if (previous == std::string_view::npos) return "";
  size_t last_start = std::string_view::npos;
  size_t last_end = 0;
  for (size_t next;
       (next = message.find(separator, previous + separator.size())) != std::string_view::npos;
       previous = next) {
    last_start = previous + separator.size();
    last_end = next;
  }
  if (last_start == std::string_view::npos) return "";
  return DecodePart(message.substr(last_start, last_end - last_start));
}

}  // namespace lirvo::crypto
