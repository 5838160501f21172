#include "crypto/rijndael.h"

#include "base/runtime_error.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define LIRVO_AES_INSTRUCTIONS 1
#else
#define LIRVO_AES_INSTRUCTIONS 0
#endif

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

// Byte offsets of the row shifts: rows 1, 2 and 3 move by 1, 3 and 4 columns.
constexpr int kRowShift[4] = {0, 1, 3, 4};

// The table engine. Row r of output column c comes from column c + kRowR
// (mod 8): 1, 3, 4 to encipher, 7, 5, 4 (that is, back) to decipher.
template <int kRow1, int kRow2, int kRow3>
void TableRounds(const std::array<Table, 4>& t, const std::array<uint8_t, 256>& box,
                 const uint32_t* keys, uint8_t* data, size_t blocks) {
  constexpr int kColumns = 8;
  constexpr int kRounds = 14;
  for (size_t n = 0; n < blocks; ++n, data += kBlockBytes) {
    const uint32_t* k = keys;
    uint32_t s[kColumns], u[kColumns];
#pragma GCC unroll 8
    for (int c = 0; c < kColumns; ++c) s[c] = LoadWord(data + 4 * c) ^ k[c];
    for (int round = 1; round < kRounds; ++round) {
      k += kColumns;
#pragma GCC unroll 8
      for (int c = 0; c < kColumns; ++c) {
        u[c] = Column(t[0], t[1], t[2], t[3], s[c], s[(c + kRow1) & 7], s[(c + kRow2) & 7],
                      s[(c + kRow3) & 7]) ^
               k[c];
      }
#pragma GCC unroll 8
      for (int c = 0; c < kColumns; ++c) s[c] = u[c];
    }
    k += kColumns;
#pragma GCC unroll 8
    for (int c = 0; c < kColumns; ++c) {
      StoreWord(
          data + 4 * c,
          LastColumn(box, s[c], s[(c + kRow1) & 7], s[(c + kRow2) & 7], s[(c + kRow3) & 7]) ^ k[c]);
    }
  }
}

#if LIRVO_AES_INSTRUCTIONS
// The hardware engine: the state is two 128-bit halves; before each AES
// round instruction the bytes are regathered (shuffles_) so that its 128-bit
// row shift completes the 256-bit one. The other steps of a round work
// column by column or byte by byte and are the same for both block sizes.
// Two blocks go through the rounds side by side to keep the units busy.
template <bool kEncipher, int kLanes>
__attribute__((target("aes,ssse3"))) inline void HardwareLanes(const __m128i* k, const __m128i* m,
                                                               uint8_t* data) {
  __m128i lo[kLanes], hi[kLanes];
  for (int b = 0; b < kLanes; ++b) {
    lo[b] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32 * b)), k[0]);
    hi[b] =
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 32 * b + 16)), k[1]);
  }
  for (int round = 1; round <= 14; ++round) {
    for (int b = 0; b < kLanes; ++b) {
      const __m128i new_lo =
          _mm_or_si128(_mm_shuffle_epi8(lo[b], m[0]), _mm_shuffle_epi8(hi[b], m[1]));
      const __m128i new_hi =
          _mm_or_si128(_mm_shuffle_epi8(lo[b], m[2]), _mm_shuffle_epi8(hi[b], m[3]));
      if (round < 14) {
        lo[b] = kEncipher ? _mm_aesenc_si128(new_lo, k[2 * round])
                          : _mm_aesdec_si128(new_lo, k[2 * round]);
        hi[b] = kEncipher ? _mm_aesenc_si128(new_hi, k[2 * round + 1])
                          : _mm_aesdec_si128(new_hi, k[2 * round + 1]);
      } else {
        lo[b] = kEncipher ? _mm_aesenclast_si128(new_lo, k[2 * round])
                          : _mm_aesdeclast_si128(new_lo, k[2 * round]);
        hi[b] = kEncipher ? _mm_aesenclast_si128(new_hi, k[2 * round + 1])
                          : _mm_aesdeclast_si128(new_hi, k[2 * round + 1]);
      }
    }
  }
  for (int b = 0; b < kLanes; ++b) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(data + 32 * b), lo[b]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(data + 32 * b + 16), hi[b]);
  }
}

template <bool kEncipher>
__attribute__((target("aes,ssse3"))) void HardwareRounds(
    const uint32_t* keys, const std::array<std::array<uint8_t, 16>, 4>& shuffles, uint8_t* data,
    size_t blocks) {
  __m128i k[30];
  for (int i = 0; i < 30; ++i) {
    k[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(keys + 4 * i));
  }
  __m128i m[4];
  for (int i = 0; i < 4; ++i) {
    m[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffles[i].data()));
  }
  size_t n = 0;
  for (; n + 2 <= blocks; n += 2) HardwareLanes<kEncipher, 2>(k, m, data + n * kBlockBytes);
  if (n < blocks) HardwareLanes<kEncipher, 1>(k, m, data + n * kBlockBytes);
}
#endif

void CheckKeyAndData(std::string_view key, std::string_view data) {
  if (key.size() != kKeyBytes || data.size() % kBlockBytes != 0) {
    throw RuntimeError(kErrInvalidCall);
  }
}

}  // namespace

Rijndael256::Rijndael256(const uint8_t* key, Direction direction)
    : Rijndael256(key, direction, Engine::kHardware) {}

Rijndael256::Rijndael256(const uint8_t* key, Direction direction, Engine engine) {
  BuildTables(direction);
  ExpandKey(key, direction);
  if (engine == Engine::kHardware && HardwareAvailable()) {
    engine_ = Engine::kHardware;
    BuildShuffles(direction);
  }
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

void Rijndael256::BuildShuffles(Direction direction) {
  for (int half = 0; half < 2; ++half) {
    for (int j = 0; j < 4; ++j) {
      for (int r = 0; r < 4; ++r) {
        // The AES instructions shift row r of each half by r columns (left
        // to encipher, right to decipher); pick the byte that lands where
        // the 256-bit shift wants it.
        const int source = direction == Direction::kEncipher
                               ? (((j - r) & 3) + 4 * half + kRowShift[r]) & 7
                               : (4 * half + ((j + r) & 3) - kRowShift[r] + kColumns) & 7;
        const int at = 4 * j + r;
        shuffles_[2 * half][at] = static_cast<uint8_t>(source < 4 ? 4 * source + r : 0x80);
        shuffles_[2 * half + 1][at] =
            static_cast<uint8_t>(source >= 4 ? 4 * (source - 4) + r : 0x80);
      }
    }
  }
}

bool Rijndael256::HardwareAvailable() {
#if LIRVO_AES_INSTRUCTIONS
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
  return (ecx & bit_AES) != 0 && (ecx & bit_SSSE3) != 0;
#else
  return false;
#endif
}

void Rijndael256::Encipher(uint8_t* data, size_t blocks) const {
#if LIRVO_AES_INSTRUCTIONS
  if (engine_ == Engine::kHardware) {
    return HardwareRounds<true>(round_keys_.data(), shuffles_, data, blocks);
  }
#endif
  TableRounds<1, 3, 4>(table_, sbox_, round_keys_.data(), data, blocks);
}

void Rijndael256::Decipher(uint8_t* data, size_t blocks) const {
#if LIRVO_AES_INSTRUCTIONS
  if (engine_ == Engine::kHardware) {
    return HardwareRounds<false>(round_keys_.data(), shuffles_, data, blocks);
  }
#endif
  TableRounds<7, 5, 4>(table_, inv_sbox_, round_keys_.data(), data, blocks);
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
