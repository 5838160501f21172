// Hex strings for the cipher tests.
#pragma once

#include <string>
#include <string_view>

namespace lirvo::crypto::test_support {

inline std::string FromHex(std::string_view hex) {
  auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(nibble(hex[i]) << 4 | nibble(hex[i + 1]));
  }
  return out;
}

}  // namespace lirvo::crypto::test_support
