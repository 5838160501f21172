#include "crypto/rijndael.h"

#include "base/runtime_error.h"

namespace lirvo::crypto {
namespace {

using Table = std::array<uint32_t, 256>;

constexpr uint32_t RotateLeft(uint32_t w, int bits) { return (w << bits) | (w >> (32 - bits)); }

// Multiplication by x (that is, by 2) modulo x^8 + x^4 + x^3 + x + 1 (0x11B).
constexpr uint8_t XTime(uint8_t b) {
  return static_cast<uint8_t>((b << 1) ^ ((b & 0x80) != 0 ? 0x1B : 0x00));
}

constexpr uint8_t RotateByte(uint8_t b, int bits) {
  return static_cast<uint8_t>((b << bits) | (b >> (8 - bits)));
}

// Field arithmetic through powers of the generator 3 and their logarithms.
struct Field {
  std::array<uint8_t, 256> power{};
  std::array<uint8_t, 256> log{};

  Field() {
    uint8_t p = 1;
    for (int i = 0; i < 256; ++i) {
      power[i] = p;
      if (i < 255) log[p] = static_cast<uint8_t>(i);
      p = static_cast<uint8_t>(p ^ XTime(p));
    }
  }
  uint8_t Mul(uint8_t a, uint8_t b) const {
    if (a == 0 || b == 0) return 0;
    return power[(log[a] + log[b]) % 255];
  }
  uint8_t Inverse(uint8_t a) const { return a == 0 ? 0 : power[255 - log[a]]; }
};

uint32_t LoadWord(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void StoreWord(uint8_t* p, uint32_t w) {
  p[0] = static_cast<uint8_t>(w);
  p[1] = static_cast<uint8_t>(w >> 8);
  p[2] = static_cast<uint8_t>(w >> 16);
  p[3] = static_cast<uint8_t>(w >> 24);
}

// One output column of a full round: row r of the column comes from the
// column named by the r-th argument, as the row shifts dictate.
inline uint32_t Column(const Table& t0, const Table& t1, const Table& t2, const Table& t3,
                       uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return t0[a & 0xFF] ^ t1[(b >> 8) & 0xFF] ^ t2[(c >> 16) & 0xFF] ^ t3[d >> 24];
}

// One output column of the last round, where the column mixing is left out.
inline uint32_t LastColumn(const std::array<uint8_t, 256>& box, uint32_t a, uint32_t b, uint32_t c,
                           uint32_t d) {
  return static_cast<uint32_t>(box[a & 0xFF]) | static_cast<uint32_t>(box[(b >> 8) & 0xFF]) << 8 |
         static_cast<uint32_t>(box[(c >> 16) & 0xFF]) << 16 |
         static_cast<uint32_t>(box[d >> 24]) << 24;
}

void CheckKeyAndData(std::string_view key, std::string_view data) {
  if (key.size() != kKeyBytes || data.size() % kBlockBytes != 0) {
    throw RuntimeError(kErrInvalidCall);
  }
}

}  // namespace

Rijndael256::Rijndael256(const uint8_t* key, Direction direction) {
  BuildTables(direction);
  ExpandKey(key, direction);
}

void Rijndael256::BuildTables(Direction direction) {
  const Field field;
  for (int x = 0; x < 256; ++x) {
    const uint8_t b = field.Inverse(static_cast<uint8_t>(x));
    const uint8_t s = static_cast<uint8_t>(b ^ RotateByte(b, 1) ^ RotateByte(b, 2) ^
                                           RotateByte(b, 3) ^ RotateByte(b, 4) ^ 0x63);
    sbox_[x] = s;
    inv_sbox_[s] = static_cast<uint8_t>(x);
  }
  for (int x = 0; x < 256; ++x) {
    uint32_t w;
    if (direction == Direction::kEncipher) {
      // The column (2s, s, s, 3s) that mixing gives for s in row 0.
      const uint8_t s = sbox_[x];
      const uint8_t s2 = XTime(s);
      w = static_cast<uint32_t>(s2) | static_cast<uint32_t>(s) << 8 |
          static_cast<uint32_t>(s) << 16 | static_cast<uint32_t>(s2 ^ s) << 24;
    } else {
      // The inverse mixing coefficients 0x0E, 0x09, 0x0D, 0x0B.
      const uint8_t s = inv_sbox_[x];
      w = static_cast<uint32_t>(field.Mul(0x0E, s)) |
          static_cast<uint32_t>(field.Mul(0x09, s)) << 8 |
          static_cast<uint32_t>(field.Mul(0x0D, s)) << 16 |
          static_cast<uint32_t>(field.Mul(0x0B, s)) << 24;
    }
    table_[0][x] = w;
    for (int r = 1; r < 4; ++r) table_[r][x] = RotateLeft(w, 8 * r);
  }
}

void Rijndael256::ExpandKey(const uint8_t* key, Direction direction) {
  constexpr int kWords = kColumns * (kRounds + 1);
  std::array<uint32_t, kWords> w{};
  for (int i = 0; i < kColumns; ++i) w[i] = LoadWord(key + 4 * i);
  auto sub_word = [this](uint32_t v) {
    return static_cast<uint32_t>(sbox_[v & 0xFF]) |
           static_cast<uint32_t>(sbox_[(v >> 8) & 0xFF]) << 8 |
           static_cast<uint32_t>(sbox_[(v >> 16) & 0xFF]) << 16 |
           static_cast<uint32_t>(sbox_[v >> 24]) << 24;
  };
  uint8_t rcon = 1;
  for (int i = kColumns; i < kWords; ++i) {
    uint32_t temp = w[i - 1];
    if (i % kColumns == 0) {
      temp = sub_word(RotateLeft(temp, 24)) ^ rcon;  // RotWord moves row 1 up to row 0
      rcon = XTime(rcon);
    } else if (i % kColumns == 4) {
      temp = sub_word(temp);
    }
    w[i] = w[i - kColumns] ^ temp;
  }
  if (direction == Direction::kEncipher) {
    round_keys_ = w;
    return;
  }
  // Equivalent inverse cipher: rounds in reverse order, the middle ones
  // passed through the inverse column mixing.
  for (int round = 0; round <= kRounds; ++round) {
    for (int c = 0; c < kColumns; ++c) {
      uint32_t k = w[(kRounds - round) * kColumns + c];
      if (round != 0 && round != kRounds) {
        k = Column(table_[0], table_[1], table_[2], table_[3], sbox_[k & 0xFF],
                   static_cast<uint32_t>(sbox_[(k >> 8) & 0xFF]) << 8,
                   static_cast<uint32_t>(sbox_[(k >> 16) & 0xFF]) << 16,
                   static_cast<uint32_t>(sbox_[k >> 24]) << 24);
      }
      round_keys_[round * kColumns + c] = k;
    }
  }
}

// Row r of output column c comes from column c + shift[r] (shifts 0, 1, 3, 4).
void Rijndael256::Encipher(uint8_t* data, size_t blocks) const {
  const Table& t0 = table_[0];
  const Table& t1 = table_[1];
  const Table& t2 = table_[2];
  const Table& t3 = table_[3];
  for (size_t n = 0; n < blocks; ++n, data += kBlockBytes) {
    const uint32_t* k = round_keys_.data();
    uint32_t s0 = LoadWord(data) ^ k[0], s1 = LoadWord(data + 4) ^ k[1],
             s2 = LoadWord(data + 8) ^ k[2], s3 = LoadWord(data + 12) ^ k[3],
             s4 = LoadWord(data + 16) ^ k[4], s5 = LoadWord(data + 20) ^ k[5],
             s6 = LoadWord(data + 24) ^ k[6], s7 = LoadWord(data + 28) ^ k[7];
    uint32_t u0, u1, u2, u3, u4, u5, u6, u7;
    for (int round = 1; round < kRounds; ++round) {
      k += kColumns;
      u0 = Column(t0, t1, t2, t3, s0, s1, s3, s4) ^ k[0];
      u1 = Column(t0, t1, t2, t3, s1, s2, s4, s5) ^ k[1];
      u2 = Column(t0, t1, t2, t3, s2, s3, s5, s6) ^ k[2];
      u3 = Column(t0, t1, t2, t3, s3, s4, s6, s7) ^ k[3];
      u4 = Column(t0, t1, t2, t3, s4, s5, s7, s0) ^ k[4];
      u5 = Column(t0, t1, t2, t3, s5, s6, s0, s1) ^ k[5];
      u6 = Column(t0, t1, t2, t3, s6, s7, s1, s2) ^ k[6];
      u7 = Column(t0, t1, t2, t3, s7, s0, s2, s3) ^ k[7];
      s0 = u0, s1 = u1, s2 = u2, s3 = u3, s4 = u4, s5 = u5, s6 = u6, s7 = u7;
    }
    k += kColumns;
    StoreWord(data, LastColumn(sbox_, s0, s1, s3, s4) ^ k[0]);
    StoreWord(data + 4, LastColumn(sbox_, s1, s2, s4, s5) ^ k[1]);
    StoreWord(data + 8, LastColumn(sbox_, s2, s3, s5, s6) ^ k[2]);
    StoreWord(data + 12, LastColumn(sbox_, s3, s4, s6, s7) ^ k[3]);
    StoreWord(data + 16, LastColumn(sbox_, s4, s5, s7, s0) ^ k[4]);
    StoreWord(data + 20, LastColumn(sbox_, s5, s6, s0, s1) ^ k[5]);
    StoreWord(data + 24, LastColumn(sbox_, s6, s7, s1, s2) ^ k[6]);
    StoreWord(data + 28, LastColumn(sbox_, s7, s0, s2, s3) ^ k[7]);
  }
}

// Row r of output column c comes from column c - shift[r].
void Rijndael256::Decipher(uint8_t* data, size_t blocks) const {
  const Table& t0 = table_[0];
  const Table& t1 = table_[1];
  const Table& t2 = table_[2];
  const Table& t3 = table_[3];
  for (size_t n = 0; n < blocks; ++n, data += kBlockBytes) {
    const uint32_t* k = round_keys_.data();
    uint32_t s0 = LoadWord(data) ^ k[0], s1 = LoadWord(data + 4) ^ k[1],
             s2 = LoadWord(data + 8) ^ k[2], s3 = LoadWord(data + 12) ^ k[3],
             s4 = LoadWord(data + 16) ^ k[4], s5 = LoadWord(data + 20) ^ k[5],
             s6 = LoadWord(data + 24) ^ k[6], s7 = LoadWord(data + 28) ^ k[7];
    uint32_t u0, u1, u2, u3, u4, u5, u6, u7;
    for (int round = 1; round < kRounds; ++round) {
      k += kColumns;
      u0 = Column(t0, t1, t2, t3, s0, s7, s5, s4) ^ k[0];
      u1 = Column(t0, t1, t2, t3, s1, s0, s6, s5) ^ k[1];
      u2 = Column(t0, t1, t2, t3, s2, s1, s7, s6) ^ k[2];
      u3 = Column(t0, t1, t2, t3, s3, s2, s0, s7) ^ k[3];
      u4 = Column(t0, t1, t2, t3, s4, s3, s1, s0) ^ k[4];
      u5 = Column(t0, t1, t2, t3, s5, s4, s2, s1) ^ k[5];
      u6 = Column(t0, t1, t2, t3, s6, s5, s3, s2) ^ k[6];
      u7 = Column(t0, t1, t2, t3, s7, s6, s4, s3) ^ k[7];
      s0 = u0, s1 = u1, s2 = u2, s3 = u3, s4 = u4, s5 = u5, s6 = u6, s7 = u7;
    }
    k += kColumns;
    StoreWord(data, LastColumn(inv_sbox_, s0, s7, s5, s4) ^ k[0]);
    StoreWord(data + 4, LastColumn(inv_sbox_, s1, s0, s6, s5) ^ k[1]);
    StoreWord(data + 8, LastColumn(inv_sbox_, s2, s1, s7, s6) ^ k[2]);
    StoreWord(data + 12, LastColumn(inv_sbox_, s3, s2, s0, s7) ^ k[3]);
    StoreWord(data + 16, LastColumn(inv_sbox_, s4, s3, s1, s0) ^ k[4]);
    StoreWord(data + 20, LastColumn(inv_sbox_, s5, s4, s2, s1) ^ k[5]);
    StoreWord(data + 24, LastColumn(inv_sbox_, s6, s5, s3, s2) ^ k[6]);
    StoreWord(data + 28, LastColumn(inv_sbox_, s7, s6, s4, s3) ^ k[7]);
  }
}

std::string EncipherEcb(std::string_view key, std::string_view data) {
  CheckKeyAndData(key, data);
  std::string out(data);
  const Rijndael256 cipher(reinterpret_cast<const uint8_t*>(key.data()),
                           Rijndael256::Direction::kEncipher);
  cipher.Encipher(reinterpret_cast<uint8_t*>(out.data()), out.size() / kBlockBytes);
  return out;
}

std::string DecipherEcb(std::string_view key, std::string_view data) {
  CheckKeyAndData(key, data);
  std::string out(data);
  const Rijndael256 cipher(reinterpret_cast<const uint8_t*>(key.data()),
                           Rijndael256::Direction::kDecipher);
  cipher.Decipher(reinterpret_cast<uint8_t*>(out.data()), out.size() / kBlockBytes);
  return out;
}

}  // namespace lirvo::crypto
