#include "crypto/aes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp1252.h"
#include "base/file_system.h"
#include "base/runtime_error.h"
#include "crypto/base64.h"
#include "crypto/rijndael.h"
#include "support/disk_files.h"
#include "support/runtime_error_matchers.h"
#include "support/temp_dir.h"

namespace lirvo::crypto {
namespace {

using lirvo::test_support::Bytes;
using lirvo::test_support::TempDir;
using test_support::ThrowsRuntimeError;

std::string FromHex(std::string_view hex) {
  auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(nibble(hex[i]) << 4 | nibble(hex[i + 1]));
  }
  return out;
}

struct Vector {
  std::string key, plaintext, ciphertext;  // hex
};

// The known answers computed with an independent implementation, one a line:
// key=HEX plaintext=HEX ciphertext=HEX; "#" starts a comment.
std::vector<Vector> LoadVectors() {
  std::ifstream in(LIRVO_TEST_DATA_DIR "/rijndael-256-ecb.txt");
  std::vector<Vector> vectors;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Vector v;
    for (std::string* hex : {&v.key, &v.plaintext, &v.ciphertext}) {
      fields >> *hex;
      *hex = hex->substr(hex->find('=') + 1);
    }
    vectors.push_back(v);
  }
  return vectors;
}

using Engine = Rijndael256::Engine;
using Direction = Rijndael256::Direction;

std::string Crypt(Engine engine, Direction direction, const std::string& key, std::string data) {
  const Rijndael256 cipher(reinterpret_cast<const uint8_t*>(key.data()), direction, engine);
  auto* bytes = reinterpret_cast<uint8_t*>(data.data());
  if (direction == Direction::kEncipher) {
    cipher.Encipher(bytes, data.size() / kBlockBytes);
  } else {
    cipher.Decipher(bytes, data.size() / kBlockBytes);
  }
  return data;
}

// The three-block vector takes the hardware engine through a pair of blocks
// and a single one.
TEST(Rijndael256Test, ReproducesEveryKnownAnswerBothWays) {
  const std::vector<Vector> vectors = LoadVectors();
  ASSERT_GE(vectors.size(), 6u) << "known-answer file missing or short";
  for (const Vector& v : vectors) {
    SCOPED_TRACE("key=" + v.key + " plaintext=" + v.plaintext);
    const std::string key = FromHex(v.key), plain = FromHex(v.plaintext),
                      cipher = FromHex(v.ciphertext);
    EXPECT_EQ(EncipherEcb(key, plain), cipher);
    EXPECT_EQ(DecipherEcb(key, cipher), plain);
    for (const Engine engine : {Engine::kPortable, Engine::kHardware}) {
      EXPECT_EQ(Crypt(engine, Direction::kEncipher, key, plain), cipher);
      EXPECT_EQ(Crypt(engine, Direction::kDecipher, key, cipher), plain);
    }
  }
}

TEST(Rijndael256Test, RejectsKeysAndDataOfTheWrongLength) {
  const std::string key(32, '\0');
  for (const auto& [k, data] : std::vector<std::pair<std::string, std::string>>{
           {std::string(31, '\0'), std::string(32, '\0')},
           {std::string(33, '\0'), std::string(32, '\0')},
           {key, std::string(31, '\0')},
           {key, std::string(33, '\0')}}) {
    EXPECT_THAT([&] { EncipherEcb(k, data); }, ThrowsRuntimeError(kErrInvalidCall));
    EXPECT_THAT([&] { DecipherEcb(k, data); }, ThrowsRuntimeError(kErrInvalidCall));
  }
  EXPECT_EQ(EncipherEcb(key, ""), "");
}

// "Password!!" as UTF-16LE: the 20-byte password of the known answers.
const std::string kPassword = FromHex("500061007300730077006f007200640021002100");
const std::string kPasswordKey = kPassword + std::string(12, '\0');

// The container of `plain`: length, bytes, zeros to a multiple of 32.
std::string Container(int32_t length, const std::string& plain) {
  std::string c(4, '\0');
  for (int i = 0; i < 4; ++i) c[i] = static_cast<char>(static_cast<uint32_t>(length) >> (8 * i));
  c += plain;
  c.resize((c.size() + 31) / 32 * 32, '\0');
  return c;
}

// `plain` in its container, enciphered under the test password.
std::string Sealed(int32_t length, const std::string& plain) {
  return EncipherEcb(kPasswordKey, Container(length, plain));
}

std::string Repeat(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

clsAES Keyed() { return clsAES::WithPasswordForTesting(kPassword, RealFileSystem()); }

TEST(ClsAesTest, KnownContainerVectorKeyAndWholeBlocks) {
  const std::string expected =
      FromHex("9a1bdbb91fa9a32a9e363cbd40343c59cee317cc2c2254fbaa6673c811d6a638");
  EXPECT_EQ(Keyed().EncryptStr("ABCDEFGHIJKLMN"), Base64Encode(expected));
  // The key is the first 32 password bytes, then zeros.
  EXPECT_EQ(Keyed().EncryptData("abc"), Sealed(3, "abc"));
  EXPECT_EQ(
      clsAES::WithPasswordForTesting(std::string(40, 'k'), RealFileSystem()).EncryptData("abc"),
      EncipherEcb(std::string(32, 'k'), Container(3, "abc")));
  // 14 characters: 28 + 4 bytes, one block; 15 characters need two.
  const clsAES aes;
  for (const auto& [chars, bytes] : {std::pair{14, 32u}, {15, 64u}, {0, 32u}}) {
    EXPECT_EQ(Base64Decode(aes.EncryptStr(std::string(chars, 'x'))).size(), bytes) << chars;
  }
}

TEST(ClsAesTest, StringsRoundTripUnderTheBuiltInPassword) {
  const clsAES aes;
  for (const std::string& text : std::vector<std::string>{
           "", "a", "ABCDEFGHIJKLMN", "perché più €", "emoji \xf0\x9f\x98\x80 end",
           std::string(1000, 'z') + "\n\r\t", std::string("nul\0inside", 10)}) {
    EXPECT_EQ(aes.DecryptStr(aes.EncryptStr(text)), text) << text;
  }
  // The built-in password is not the empty one nor the test one.
  EXPECT_NE(aes.EncryptStr("x"),
            clsAES::WithPasswordForTesting("", RealFileSystem()).EncryptStr("x"));
  EXPECT_NE(aes.EncryptStr("x"), Keyed().EncryptStr("x"));
  // Line breaks and blanks in the Base64 text are skipped.
  const std::string base64 = aes.EncryptStr("una riga di testo da cifrare, abbastanza lunga");
  std::string broken;
  for (size_t i = 0; i < base64.size(); i += 10) broken += base64.substr(i, 10) + "\r\n ";
  EXPECT_EQ(aes.DecryptStr(broken), "una riga di testo da cifrare, abbastanza lunga");
}

TEST(ClsAesTest, MalformedTextGoesThroughAsReplacementCharacters) {
  const clsAES aes;
  EXPECT_EQ(aes.DecryptStr(aes.EncryptStr("a\xff"
                                          "b")),
            "a\xef\xbf\xbd"
            "b");
  // An odd byte count drops the last byte; a lone surrogate reads as U+FFFD.
  EXPECT_EQ(Keyed().DecryptStr(Base64Encode(Sealed(3, std::string("A\0B", 3)))), "A");
  EXPECT_EQ(Keyed().DecryptStr(Base64Encode(Sealed(4, std::string("\x00\xd8"
                                                                  "C\0",
                                                                  4)))),
            "\xef\xbf\xbd"
            "C");
}

TEST(ClsAesTest, DecryptionOfNonCiphertextGivesNothing) {
  const clsAES keyed = Keyed();
  auto sealed = [](int32_t length, size_t blocks) {
    return Sealed(length, std::string(32 * blocks - 4, 'p'));
  };
  for (const std::string& cipher :
       {std::string(), std::string(31, 'a'), std::string(33, 'a'), sealed(-1, 1),
        sealed(0x7FFFFFFF, 2), sealed(29, 1), sealed(61, 2)}) {
    EXPECT_EQ(keyed.DecryptData(cipher), "");
    EXPECT_FALSE(keyed.TryDecryptData(cipher).has_value());
    EXPECT_EQ(keyed.DecryptStr(Base64Encode(cipher)), "");
  }
  // The largest length that fits, and zero, are plaintexts.
  EXPECT_EQ(keyed.DecryptData(sealed(28, 1)), std::string(28, 'p'));
  EXPECT_EQ(keyed.TryDecryptData(sealed(0, 1)), std::string());
}

TEST(ClsAesTest, Base64MembersCarryOneCharacterPerByte) {
  const clsAES aes;
  // "Ω" has no Windows-1252 code: "?"; 0x81 is undefined there and kept.
  for (const auto& [text, base64] :
       {std::pair{"abc", "YWJj"}, {"€à", "gOA="}, {"\xc2\x81", "gQ=="}}) {
    EXPECT_EQ(aes.plbEncodeStrB64(text), base64) << text;
    EXPECT_EQ(aes.plbDecodeStrB64(base64), text) << base64;
  }
  EXPECT_EQ(aes.plbEncodeStrB64("Ω"), "Pw==");
  EXPECT_EQ(aes.plbDecodeStrB64("gOA"), "");
}

TEST(ClsAesTest, MimeDecoderReadsUtf8AndAnswersOneCharacterPerByte) {
  const clsAES aes;
  // Lines are measured in characters: 30 "è" then ":" is a header line, 26
  // "è" are too short; neither would be in bytes.
  const std::string message = "Oggetto: però; boundary=\"b\"\n--b\n" + Repeat("è", 30) + ":" +
                              Repeat("x", 25) + "\n" + Repeat("è", 26) + "\n" + Repeat("4OiA", 14) +
                              "\n--b--\n";
  EXPECT_EQ(aes.Base64DecoderStringMIME(message), Repeat("àè€", 14));
}

class ClsAesFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    return test_support::Put(dir_.File(name), bytes);
  }

  TempDir dir_;
  FaultyFileSystem fs_{RealFileSystem()};
  clsAES aes_{fs_};
};

TEST_F(ClsAesFileTest, FilesRoundTripEveryByteAndTheEmptyFile) {
  std::string bytes;
  for (int i = 0; i < 512; ++i) bytes += static_cast<char>(i);
  const std::string enc = dir_.File("enc.bin");
  for (const std::string& content : {bytes, std::string()}) {
    ASSERT_TRUE(aes_.EncryptFile(Write("in.bin", content), enc, true));
    // Two container bytes per input byte, plus the length, in whole blocks.
    EXPECT_EQ(Bytes(enc).size(), (4 + 2 * content.size() + 31) / 32 * 32);
    ASSERT_TRUE(aes_.DecryptFile(enc, dir_.File("dec.bin"), true));
    EXPECT_EQ(Bytes(dir_.File("dec.bin")), content);
    std::string text = "unchanged";
    EXPECT_EQ(aes_.DecryptFileToText(enc, text), clsAES::FileOutcome::kDone);
    EXPECT_EQ(text, Cp1252ToUtf8(content));
    EXPECT_EQ(aes_.DecryptFileStr(enc), text);
  }
}

TEST_F(ClsAesFileTest, MissingInputOrExistingOutputWritesNothing) {
  const std::string out = Write("out.bin", "keep me");
  const std::string missing = dir_.File("missing.txt");
  EXPECT_FALSE(aes_.EncryptFile(missing, dir_.File("new.bin"), true));
  EXPECT_FALSE(aes_.DecryptFile(missing, dir_.File("new.bin"), true));
  EXPECT_FALSE(aes_.EncryptFile(dir_.path(), dir_.File("new.bin"), true));  // a folder
  EXPECT_FALSE(RealFileSystem().FileExists(dir_.File("new.bin")));
  EXPECT_EQ(aes_.DecryptFileStr(missing), "");
  EXPECT_EQ(aes_.EncryptFileWithOutcome(missing, out, true), clsAES::FileOutcome::kNoInput);

  const std::string in = Write("in.txt", "plain text");
  EXPECT_EQ(aes_.EncryptFileWithOutcome(in, out, false), clsAES::FileOutcome::kOutputExists);
  EXPECT_FALSE(aes_.DecryptFile(in, out, false));
  EXPECT_EQ(Bytes(out), "keep me");
  EXPECT_TRUE(aes_.EncryptFile(in, out, true));
  EXPECT_TRUE(aes_.DecryptFile(out, out, true));  // in place
  EXPECT_EQ(Bytes(out), "plain text");
}

TEST_F(ClsAesFileTest, NonCiphertextDecryptsToAnEmptyFileUnlessRefused) {
  const std::string in = Write("plain.txt", "this is not a ciphertext");
  const std::string out = Write("out.txt", "previous");
  EXPECT_EQ(aes_.DecryptFileWithOutcome(in, out, true), clsAES::FileOutcome::kNotCiphertext);
  EXPECT_EQ(Bytes(out), "previous");
  std::string text;
  EXPECT_EQ(aes_.DecryptFileToText(in, text), clsAES::FileOutcome::kNotCiphertext);
  EXPECT_EQ(aes_.DecryptFileStr(in), "");
  EXPECT_TRUE(aes_.DecryptFile(in, out, true));
  EXPECT_EQ(Bytes(out), "");
  // An empty file is no ciphertext either, but there is nothing to lose.
  const std::string empty = Write("empty.bin", "");
  Write("out.txt", "previous");
  EXPECT_EQ(aes_.DecryptFileWithOutcome(empty, out, true), clsAES::FileOutcome::kDone);
  EXPECT_EQ(Bytes(out), "");
  text = "unchanged";
  EXPECT_EQ(aes_.DecryptFileToText(empty, text), clsAES::FileOutcome::kDone);
  EXPECT_EQ(text, "");
}

TEST_F(ClsAesFileTest, ReadAndWriteErrorsLeaveTheOutputAsItWas) {
  const std::string in = Write("in.txt", "secret");
  const std::string out = Write("out.bin", "old");
  fs_.FailOn(FsOp::kWrite, "out.bin");
  EXPECT_FALSE(aes_.EncryptFile(in, out, true));
  EXPECT_EQ(aes_.EncryptFileWithOutcome(in, out, true), clsAES::FileOutcome::kFailed);
  EXPECT_EQ(Bytes(out), "old");

  fs_.ClearFaults();
  ASSERT_TRUE(aes_.EncryptFile(in, dir_.File("enc.bin"), false));
  fs_.FailOn(FsOp::kRead, "enc.bin");
  EXPECT_FALSE(aes_.DecryptFile(dir_.File("enc.bin"), out, true));
  EXPECT_EQ(aes_.DecryptFileStr(dir_.File("enc.bin")), "");
  EXPECT_EQ(Bytes(out), "old");
  fs_.ClearFaults();
  EXPECT_EQ(aes_.DecryptFileStr(dir_.File("enc.bin")), "secret");
}

}  // namespace
}  // namespace lirvo::crypto
