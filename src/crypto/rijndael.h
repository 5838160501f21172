// Rijndael with a 256-bit block and a 256-bit key (Nb = 8, Nk = 8, 14 rounds,
// rows shifted by 1, 3 and 4 bytes). This is not AES, which fixes the block at
// 128 bits. Blocks are enciphered one by one with the same key: there is no
// chaining and no initialisation vector.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lirvo::crypto {

inline constexpr size_t kBlockBytes = 32;
inline constexpr size_t kKeyBytes = 32;

// One key, expanded for one direction. The constructor builds the S-boxes
// and the round tables from the field arithmetic, then expands the key; both
// are cheap next to enciphering more than a few blocks.
class Rijndael256 {
 public:
  enum class Direction { kEncipher, kDecipher };

  // How the rounds run: table lookups anywhere, or the processor's AES round
  // instructions (x86 with AES-NI and SSSE3), which give the same result.
  enum class Engine { kPortable, kHardware };

  // True when this processor can run Engine::kHardware.
  static bool HardwareAvailable();

  // `key` points at exactly kKeyBytes bytes. Uses the hardware engine when
  // the processor has it.
  Rijndael256(const uint8_t* key, Direction direction);

  // Test-only choice of engine; kHardware falls back to kPortable when the
  // processor lacks it.
  Rijndael256(const uint8_t* key, Direction direction, Engine engine);

  // Enciphers `blocks` consecutive 32-byte blocks in place. Only for an
  // object built with Direction::kEncipher.
  void Encipher(uint8_t* data, size_t blocks) const;

  // Deciphers `blocks` consecutive 32-byte blocks in place. Only for an
  // object built with Direction::kDecipher.
  void Decipher(uint8_t* data, size_t blocks) const;

 private:
  static constexpr int kRounds = 14;
  static constexpr int kColumns = 8;

  void BuildTables(Direction direction);
  void BuildShuffles(Direction direction);
  void ExpandKey(const uint8_t* key, Direction direction);

  std::array<uint8_t, 256> sbox_{};
  std::array<uint8_t, 256> inv_sbox_{};
  // Round tables: SubBytes (or its inverse) and the column mixing of one row,
  // four rotations of the same table so that no rotation is left in a round.
  std::array<std::array<uint32_t, 256>, 4> table_{};
  // Round keys, one column (little-endian, row 0 in the low byte) per word.
  // For deciphering they are stored in reverse round order with the inverse
  // column mixing applied to the middle rounds.
  std::array<uint32_t, kColumns*(kRounds + 1)> round_keys_{};
  // For the hardware engine: byte shuffles that gather, from the two halves
  // of the state, the bytes each half needs so that the 128-bit row shifts
  // of the AES instructions give the 256-bit ones. Entries 0 and 1 select
  // from the low and high half for the new low half, 2 and 3 for the high.
  std::array<std::array<uint8_t, 16>, 4> shuffles_{};
  Engine engine_ = Engine::kPortable;
};

// ECB over whole blocks with a raw key, for tests and tools. `key` must hold
// kKeyBytes bytes and `data` a multiple of kBlockBytes; otherwise throws
// RuntimeError 5 (invalid procedure call).
std::string EncipherEcb(std::string_view key, std::string_view data);
std::string DecipherEcb(std::string_view key, std::string_view data);

}  // namespace lirvo::crypto
