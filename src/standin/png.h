// Small PNG images made in code: the ribbon icons of an installation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lirvo::standin {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
};

// The CRC-32 of PNG chunks (ISO 3309, reflected 0xEDB88320).
uint32_t Crc32(std::string_view bytes);
// The Adler-32 checksum that ends a zlib stream.
uint32_t Adler32(std::string_view bytes);

// A `size` x `size` 8-bit RGB image filled with `fill` and framed by a
// one-pixel `border`, as the bytes of a PNG file. The pixel data is one
// stored (uncompressed) deflate block, valid for any reader.
std::string MakeIconPng(int size, Rgb fill, Rgb border);

}  // namespace lirvo::standin
