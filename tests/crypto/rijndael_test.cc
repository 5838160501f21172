#include "crypto/rijndael.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "crypto/hex.h"
#include "support/runtime_error_matchers.h"

namespace lirvo::crypto {
namespace {

using lirvo::test_support::ThrowsRuntimeError;
using test_support::FromHex;

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

TEST(Rijndael256Test, EnginesAgreeOnOddAndEvenBlockCounts) {
  if (!Rijndael256::HardwareAvailable()) GTEST_SKIP() << "no AES instructions here";
  std::string key(32, '\0'), data;
  for (int i = 0; i < 32; ++i) key[i] = static_cast<char>(i * 29 + 7);
  for (int blocks = 0; blocks <= 5; ++blocks) {
    SCOPED_TRACE(blocks);
    data.resize(32 * blocks);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + blocks);
    const std::string portable = Crypt(Engine::kPortable, Direction::kEncipher, key, data);
    EXPECT_EQ(Crypt(Engine::kHardware, Direction::kEncipher, key, data), portable);
    EXPECT_EQ(Crypt(Engine::kHardware, Direction::kDecipher, key, portable), data);
    EXPECT_EQ(Crypt(Engine::kPortable, Direction::kDecipher, key, portable), data);
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

}  // namespace
}  // namespace lirvo::crypto
