// Arbitrary text through the decoders of clsAES: DecryptStr, the tolerant
// Base64 decoder and the MIME body extractor must neither crash nor hang, and
// what they promise must hold: Base64 and the cipher round-trip, a decoded
// body is never longer than its message allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "crypto/aes.h"
#include "crypto/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace lirvo::crypto;
  static const clsAES aes;
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const std::string decrypted = aes.DecryptStr(input);
  const std::string decoded = Base64Decode(input);
  if (decoded.size() > size / 4 * 3) std::abort();
  if (Base64Decode(Base64Encode(input)) != input) std::abort();

  const std::string body = DecodeMimeBody(input);
  if (body.size() > size / 4 * 3) std::abort();
  aes.Base64DecoderStringMIME(input);
  aes.plbDecodeStrB64(input);

  // Raw bytes as a ciphertext, and back through the cipher.
  aes.DecryptData(input);
  if (size <= 4096 && aes.TryDecryptData(aes.EncryptData(input)) != std::string(input)) {
    std::abort();
  }
  return 0;
}
