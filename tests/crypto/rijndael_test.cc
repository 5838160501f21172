#include "crypto/rijndael.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/runtime_error.h"
#include "crypto/hex.h"

namespace lirvo::crypto {
namespace {

using testing::FromHex;
using testing::ToHex;

struct Vector {
  std::string key, plaintext, ciphertext;  // hex
};

// The known answers computed with an independent implementation, one a line:
// key=HEX plaintext=HEX ciphertext=HEX; "#" starts a comment.
std::vector<Vector> LoadVectors() {
  std::ifstream in(std::string(LIRVO_SHARED_DIR) + "/testdata/rijndael-256-ecb.txt");
  std::vector<Vector> vectors;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Vector v;
    std::string field;
    while (fields >> field) {
      const auto eq = field.find('=');
      const std::string name = field.substr(0, eq), value = field.substr(eq + 1);
      if (name == "key") v.key = value;
      if (name == "plaintext") v.plaintext = value;
      if (name == "ciphertext") v.ciphertext = value;
    }
    vectors.push_back(v);
  }
  return vectors;
}

TEST(Rijndael256Test, ReproducesEveryKnownAnswerBothWays) {
  const std::vector<Vector> vectors = LoadVectors();
  ASSERT_GE(vectors.size(), 6u) << "known-answer file missing or short";
  for (const Vector& v : vectors) {
    SCOPED_TRACE("key=" + v.key + " plaintext=" + v.plaintext);
    EXPECT_EQ(ToHex(EncipherEcb(FromHex(v.key), FromHex(v.plaintext))), v.ciphertext);
    EXPECT_EQ(ToHex(DecipherEcb(FromHex(v.key), FromHex(v.ciphertext))), v.plaintext);
  }
}

TEST(Rijndael256Test, EnciphersEveryBlockOnItsOwn) {
  const std::string key =
      FromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const std::string block(32, 'x');
  const std::string one = EncipherEcb(key, block);
  EXPECT_EQ(EncipherEcb(key, block + block + block), one + one + one);
  EXPECT_NE(one, block);
}

TEST(Rijndael256Test, RejectsKeysAndDataOfTheWrongLength) {
  const std::string key(32, '\0');
  for (const auto& [k, data] : std::vector<std::pair<std::string, std::string>>{
           {std::string(31, '\0'), std::string(32, '\0')},
           {std::string(33, '\0'), std::string(32, '\0')},
           {key, std::string(31, '\0')},
           {key, std::string(33, '\0')}}) {
    EXPECT_THROW(EncipherEcb(k, data), RuntimeError);
    EXPECT_THROW(DecipherEcb(k, data), RuntimeError);
  }
  EXPECT_EQ(EncipherEcb(key, ""), "");
}

}  // namespace
}  // namespace lirvo::crypto
