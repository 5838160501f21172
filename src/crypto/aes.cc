#include "crypto/aes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <utility>

#include "base/cp1252.h"
#include "base/file_error.h"
#include "base/files.h"
#include "base/trap.h"
#include "base/utf8.h"
#include "crypto/base64.h"
#include "crypto/rijndael.h"

namespace lirvo::crypto {
namespace {

constexpr size_t kPasswordBytes = 20;
constexpr size_t kLengthField = 4;
constexpr size_t kMaxPlain = static_cast<size_t>(std::numeric_limits<int32_t>::max());
constexpr char32_t kReplacement = 0xFFFD;

// The built-in password: ten two-byte characters, unfolded at run time from a
// seed so that they never lie in the binary as they are.
std::string BuildPassword() {
  std::string password(kPasswordBytes, '\0');
  uint32_t state = 0x4C1E5A7Bu;
  for (char& b : password) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<char>(state >> 24);
  }
  return password;
}

// The key: the first 32 bytes of the password, then zero bytes.
std::array<uint8_t, kKeyBytes> KeyOf(std::string_view password) {
  std::array<uint8_t, kKeyBytes> key{};
  for (size_t i = 0; i < key.size() && i < password.size(); ++i) {
    key[i] = static_cast<uint8_t>(password[i]);
  }
  return key;
}

// A zeroed container with room for `payload` bytes at offset 4 and the length
// field set; "" when the length field cannot say `payload`.
std::string NewContainer(size_t payload) {
  if (payload > kMaxPlain) return "";
  std::string container((payload + kLengthField + kBlockBytes - 1) / kBlockBytes * kBlockBytes,
                        '\0');
  for (size_t i = 0; i < kLengthField; ++i) {
    container[i] = static_cast<char>((payload >> (8 * i)) & 0xFF);
  }
  return container;
}

void PutUnit(char*& out, uint32_t unit) {
  out[0] = static_cast<char>(unit & 0xFF);
  out[1] = static_cast<char>(unit >> 8);
  out += 2;
}

// Calls `emit` with each UTF-16 code unit of the UTF-8 `text`.
template <typename Emit>
void ForEachUtf16Unit(std::string_view text, Emit&& emit) {
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      emit(byte);
      ++i;
      continue;
    }
    char32_t cp;
    const size_t length = DecodeUtf8(text, i, cp);
    if (length == 0) {
      emit(static_cast<uint32_t>(kReplacement));
      ++i;
      continue;
    }
    i += length;
    if (cp < 0x10000) {
      emit(static_cast<uint32_t>(cp));
    } else {
      emit(0xD800 + ((static_cast<uint32_t>(cp) - 0x10000) >> 10));
      emit(0xDC00 + ((static_cast<uint32_t>(cp) - 0x10000) & 0x3FF));
    }
  }
}

// The container of the UTF-16LE bytes of `text`.
std::string Utf16Container(std::string_view text) {
  size_t units = 0;
  ForEachUtf16Unit(text, [&units](uint32_t) { ++units; });
  std::string container = NewContainer(units * 2);
  if (container.empty()) return container;
  char* out = container.data() + kLengthField;
  ForEachUtf16Unit(text, [&out](uint32_t unit) { PutUnit(out, unit); });
  return container;
}

// The container of the UTF-16LE bytes of the Windows-1252 characters of
// `bytes`.
std::string Cp1252Container(std::string_view bytes) {
  if (bytes.size() > kMaxPlain / 2) return "";
  std::array<uint16_t, 256> unit_of{};
  for (int b = 0; b < 256; ++b) {
    unit_of[b] = static_cast<uint16_t>(Cp1252ToCodePoint(static_cast<unsigned char>(b)));
  }
  std::string container = NewContainer(bytes.size() * 2);
  char* out = container.data() + kLengthField;
  for (const char c : bytes) PutUnit(out, unit_of[static_cast<unsigned char>(c)]);
  return container;
}

uint32_t UnitAt(std::string_view bytes, size_t i) {
  return static_cast<unsigned char>(bytes[i]) |
         static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
}

// UTF-16LE bytes as UTF-8.
std::string Utf16LeToUtf8(std::string_view bytes) {
  const size_t units = bytes.size() / 2;
  std::string out(units * 3, '\0');
  char* o = out.data();
  for (size_t i = 0; i < units * 2; i += 2) {
    char32_t cp = UnitAt(bytes, i);
    if (cp < 0x80) {
      *o++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      const bool high = cp <= 0xDBFF;
      const uint32_t next = i + 3 < units * 2 ? UnitAt(bytes, i + 2) : 0;
      if (high && next >= 0xDC00 && next <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00);
        i += 2;
      } else {
        cp = kReplacement;
      }
    }
    if (cp < 0x800) {
      *o++ = static_cast<char>(0xC0 | (cp >> 6));
    } else if (cp < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (cp >> 12));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (cp >> 18));
      *o++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

// UTF-16LE bytes as Windows-1252, one byte per code unit ("?" when none).
std::string Utf16LeToCp1252(std::string_view bytes) {
  std::string out(bytes.size() / 2, '\0');
  for (size_t i = 0; i < out.size(); ++i) {
    const uint32_t unit = UnitAt(bytes, 2 * i);
    int code = unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF) ? static_cast<int>(unit)
                                                             : CodePointToCp1252(unit);
    out[i] = static_cast<char>(code < 0 ? '?' : code);
  }
  return out;
}

}  // namespace

clsAES::clsAES() : clsAES(RealFileSystem()) {}

clsAES::clsAES(FileSystem& fs) : clsAES(BuildPassword(), fs) {}

clsAES::clsAES(std::string password, FileSystem& fs) : password_(std::move(password)), fs_(&fs) {}

clsAES clsAES::WithPasswordForTesting(std::string_view password, FileSystem& fs) {
  return clsAES(std::string(password), fs);
}

void clsAES::EncipherContainer(std::string& container) const {
  const auto key = KeyOf(password_);
  const Rijndael256 cipher(key.data(), Rijndael256::Direction::kEncipher);
  cipher.Encipher(reinterpret_cast<uint8_t*>(container.data()), container.size() / kBlockBytes);
}

bool clsAES::DecipherContainer(std::string& cipher) const {
  if (cipher.empty() || cipher.size() % kBlockBytes != 0) return false;
  const auto key = KeyOf(password_);
  const Rijndael256 decipher(key.data(), Rijndael256::Direction::kDecipher);
  decipher.Decipher(reinterpret_cast<uint8_t*>(cipher.data()), cipher.size() / kBlockBytes);
  uint32_t field = 0;
  for (size_t i = 0; i < kLengthField; ++i) {
    field |= static_cast<uint32_t>(static_cast<unsigned char>(cipher[i])) << (8 * i);
  }
  const auto length = static_cast<int32_t>(field);
  if (length < 0 || static_cast<size_t>(length) > cipher.size() - kLengthField) return false;
  cipher.erase(0, kLengthField);
  cipher.resize(static_cast<size_t>(length));
  return true;
}

std::string clsAES::EncryptData(std::string_view plain) const {
  std::string container = NewContainer(plain.size());
  if (container.empty()) return container;
  std::copy(plain.begin(), plain.end(), container.begin() + kLengthField);
  EncipherContainer(container);
  return container;
}

std::optional<std::string> clsAES::TryDecryptData(std::string cipher) const {
  try {
    if (!DecipherContainer(cipher)) return std::nullopt;
    return cipher;
  } catch (...) {
    ReportTrap("clsAES.TryDecryptData");
    return std::nullopt;
  }
}

std::string clsAES::DecryptData(std::string_view cipher) const {
  return TryDecryptData(std::string(cipher)).value_or("");
}

std::string clsAES::EncryptStr(std::string_view text) const {
  std::string container = Utf16Container(text);
  EncipherContainer(container);
  return Base64Encode(container);
}

std::optional<std::string> clsAES::TryDecryptStr(std::string_view text) const {
  std::optional<std::string> plain = TryDecryptData(Base64Decode(text));
  if (!plain) return std::nullopt;
  return Utf16LeToUtf8(*plain);
}

std::string clsAES::DecryptStr(std::string_view text) const {
  return TryDecryptStr(text).value_or("");
}

clsAES::FileOutcome clsAES::CheckInput(const std::string& in_file) const {
  const PathKind kind = fs_->KindOf(in_file);
  if (kind == PathKind::kAbsent) return FileOutcome::kNoInput;
  if (IsReadableKind(kind)) return FileOutcome::kDone;
  failure_ = in_file + ": " + DescribePathKind(kind);
  return FileOutcome::kBadInput;
}

clsAES::FileOutcome clsAES::Failed(const char* where, const std::exception* e) const {
  ReportTrap(where);
  const auto* f = dynamic_cast<const FileError*>(e);
  failure_ = f ? f->Path() + ": " + f->Explanation() : "";
  return FileOutcome::kFailed;
}

clsAES::FileOutcome clsAES::EncryptFileWithOutcome(const std::string& in_file,
                                                   const std::string& out_file,
                                                   bool overwrite) const {
  try {
    if (const FileOutcome input = CheckInput(in_file); input != FileOutcome::kDone) return input;
    if (!overwrite && fs_->KindOf(out_file) == PathKind::kFile) return FileOutcome::kOutputExists;
    // Two container bytes per input byte: refuse before reading what cannot fit.
    if (fs_->FileSize(in_file).value_or(0) > kMaxPlain / 2) return FileOutcome::kTooLarge;
    std::string container = Cp1252Container(fs_->ReadFile(in_file));
    if (container.empty()) return FileOutcome::kTooLarge;
    EncipherContainer(container);
    ReplaceFileContent(*fs_, out_file, container);
    return FileOutcome::kDone;
  } catch (const std::exception& e) {
    return Failed("clsAES.EncryptFile", &e);
  } catch (...) {
    return Failed("clsAES.EncryptFile", nullptr);
  }
}

clsAES::FileOutcome clsAES::DecryptFileImpl(const std::string& in_file, const std::string& out_file,
                                            bool overwrite, bool write_non_ciphertext) const {
  try {
    if (const FileOutcome input = CheckInput(in_file); input != FileOutcome::kDone) return input;
    if (!overwrite && fs_->KindOf(out_file) == PathKind::kFile) return FileOutcome::kOutputExists;
    std::string data = fs_->ReadFile(in_file);
    if (!DecipherContainer(data)) {
      if (!write_non_ciphertext && !data.empty()) return FileOutcome::kNotCiphertext;
      data.clear();
    }
    ReplaceFileContent(*fs_, out_file, Utf16LeToCp1252(data));
    return FileOutcome::kDone;
  } catch (const std::exception& e) {
    return Failed("clsAES.DecryptFile", &e);
  } catch (...) {
    return Failed("clsAES.DecryptFile", nullptr);
  }
}

clsAES::FileOutcome clsAES::DecryptFileWithOutcome(const std::string& in_file,
                                                   const std::string& out_file,
                                                   bool overwrite) const {
  return DecryptFileImpl(in_file, out_file, overwrite, false);
}

bool clsAES::EncryptFile(const std::string& in_file, const std::string& out_file,
                         bool overwrite) const {
  return EncryptFileWithOutcome(in_file, out_file, overwrite) == FileOutcome::kDone;
}

bool clsAES::DecryptFile(const std::string& in_file, const std::string& out_file,
                         bool overwrite) const {
  return DecryptFileImpl(in_file, out_file, overwrite, true) == FileOutcome::kDone;
}

clsAES::FileOutcome clsAES::DecryptFileToText(const std::string& in_file, std::string& text) const {
  try {
    if (const FileOutcome input = CheckInput(in_file); input != FileOutcome::kDone) return input;
    std::string data = fs_->ReadFile(in_file);
    if (!DecipherContainer(data) && !data.empty()) return FileOutcome::kNotCiphertext;
    text = Utf16LeToUtf8(data);
    return FileOutcome::kDone;
  } catch (const std::exception& e) {
    return Failed("clsAES.DecryptFileToText", &e);
  } catch (...) {
    return Failed("clsAES.DecryptFileToText", nullptr);
  }
}

std::string clsAES::DecryptFileStr(const std::string& in_file) const {
  std::string text;
  return DecryptFileToText(in_file, text) == FileOutcome::kDone ? text : "";
}

std::string clsAES::plbDecodeStrB64(std::string_view entry) const {
  return Cp1252ToUtf8(Base64Decode(entry));
}

std::string clsAES::plbEncodeStrB64(std::string_view entry) const {
  return Base64Encode(Utf8ToCp1252(entry));
}

std::string clsAES::Base64DecoderStringMIME(std::string_view data_in) const {
  try {
    return Cp1252ToUtf8(DecodeMimeBody(Utf8ToCp1252(data_in)));
  } catch (...) {
    ReportTrap("clsAES.Base64DecoderStringMIME");
    return "";
  }
}

}  // namespace lirvo::crypto
