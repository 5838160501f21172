#include "standin/png.h"

#include <algorithm>
#include <array>

namespace lirvo::standin {
namespace {

void PutBigEndian(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v >> 24));
  out.push_back(static_cast<char>(v >> 16));
  out.push_back(static_cast<char>(v >> 8));
  out.push_back(static_cast<char>(v));
}

void PutChunk(std::string& out, std::string_view type, std::string_view data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  std::string body(type);
  body.append(data);
  out.append(body);
  PutBigEndian(out, Crc32(body));
}

// A zlib stream holding `raw` in stored deflate blocks (at most 65535 bytes
// each).
std::string StoredZlib(std::string_view raw) {
  std::string z = {'\x78', '\x01'};
  size_t pos = 0;
  do {
    const size_t len = std::min<size_t>(raw.size() - pos, 65535);
    const bool last = pos + len == raw.size();
    z.push_back(last ? '\x01' : '\x00');
    z.push_back(static_cast<char>(len & 0xff));
    z.push_back(static_cast<char>(len >> 8));
    z.push_back(static_cast<char>(~len & 0xff));
    z.push_back(static_cast<char>((~len >> 8) & 0xff));
    z.append(raw.substr(pos, len));
    pos += len;
  } while (pos < raw.size());
  PutBigEndian(z, Adler32(raw));
  return z;
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = table[(c ^ b) & 0xff] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(std::string_view bytes) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : bytes) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string MakeIconPng(int size, Rgb fill, Rgb border) {
  std::string raw;
  for (int y = 0; y < size; ++y) {
    raw.push_back('\0');  // filter type: none
    for (int x = 0; x < size; ++x) {
      const bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
      const Rgb& p = edge ? border : fill;
      raw.push_back(static_cast<char>(p.r));
      raw.push_back(static_cast<char>(p.g));
      raw.push_back(static_cast<char>(p.b));
    }
  }
  std::string ihdr;
  PutBigEndian(ihdr, static_cast<uint32_t>(size));
  PutBigEndian(ihdr, static_cast<uint32_t>(size));
  ihdr +=
      {'\x08', '\x02', '\x00', '\x00', '\x00'};  // 8 bits, RGB, deflate, no filter, no interlace
  std::string png = "\x89PNG\r\n\x1a\n";
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", "");
  return png;
}

}  // namespace lirvo::standin
