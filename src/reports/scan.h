// Byte scans shared by the bundle text routines and the parser: the search
// for line breaks and markers, sixteen bytes at a time where SSE2 is there.
// Internal to the reports library.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lirvo::reports::scan {

inline constexpr size_t kNotFound = std::string_view::npos;

// Offset of the first CR, LF or "#" at or after `pos`, or s.size().
inline size_t FindBreakOrHash(std::string_view s, size_t pos) {
  const char* data = s.data();
  const size_t n = s.size();
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i hash = _mm_set1_epi8('#');
  while (pos + 16 <= n) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const __m128i hit =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)),
                     _mm_cmpeq_epi8(block, hash));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask != 0) return pos + static_cast<size_t>(__builtin_ctz(mask));
    pos += 16;
  }
#endif
  while (pos < n && data[pos] != '\r' && data[pos] != '\n' && data[pos] != '#') ++pos;
  return pos;
}

// True when `s` begins with the four bytes of `marker`.
inline bool StartsWith4(std::string_view s, const char (&marker)[5]) {
  return s.size() >= 4 && std::memcmp(s.data(), marker, 4) == 0;
}

// True when "#acapo" starts at `pos`.
inline bool AcapoPrefixAt(std::string_view s, size_t pos) {
  return s.size() - pos >= 6 && s[pos + 1] == 'a' && std::memcmp(s.data() + pos, "#acapo", 6) == 0;
}

// Offset of the first byte, at or after `pos` (pos >= 1), that is a CR not
// followed by LF, an LF not preceded by CR, or the "#" of an "#acapo"; or
// s.size(). These are the only places where normalising can change a text.
inline size_t FindLoneBreakOrAcapo(std::string_view s, size_t pos) {
  const char* data = s.data();
  const size_t n = s.size();
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i hash = _mm_set1_epi8('#');
  const __m128i a = _mm_set1_epi8('a');
  while (pos + 17 <= n) {
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos - 1));
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 1));
    const __m128i lone_cr = _mm_andnot_si128(_mm_cmpeq_epi8(after, lf), _mm_cmpeq_epi8(here, cr));
    const __m128i lone_lf = _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(here, lf));
    const __m128i hash_a = _mm_and_si128(_mm_cmpeq_epi8(here, hash), _mm_cmpeq_epi8(after, a));
    unsigned mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(lone_cr, lone_lf), hash_a)));
    while (mask != 0) {
      const size_t at = pos + static_cast<size_t>(__builtin_ctz(mask));
      if (data[at] != '#' || AcapoPrefixAt(s, at)) return at;
      mask &= mask - 1;
    }
    pos += 16;
  }
#endif
  for (; pos < n; ++pos) {
    const char c = data[pos];
    if (c == '\r' && !(pos + 1 < n && data[pos + 1] == '\n')) return pos;
    if (c == '\n' && data[pos - 1] != '\r') return pos;
    if (c == '#' && AcapoPrefixAt(s, pos)) return pos;
  }
  return n;
}

// Offset of the first occurrence of the two or four bytes `needle` at or
// after `pos`, or kNotFound. `needle` is "\r\n" or a four-byte marker.
template <size_t N>
inline size_t FindShort(std::string_view s, size_t pos, const char (&needle)[N]) {
  static_assert(N == 3 || N == 5, "two or four bytes");
  constexpr size_t kLen = N - 1;
  const char* data = s.data();
  const size_t n = s.size();
  if (n < kLen) return kNotFound;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i second = _mm_set1_epi8(needle[1]);
  while (pos + 16 + kLen - 1 <= n) {
    const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 1));
    __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(b0, first), _mm_cmpeq_epi8(b1, second));
    if constexpr (kLen == 4) {
      const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 2));
      const __m128i b3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 3));
      hit = _mm_and_si128(hit, _mm_and_si128(_mm_cmpeq_epi8(b2, _mm_set1_epi8(needle[2])),
                                             _mm_cmpeq_epi8(b3, _mm_set1_epi8(needle[3]))));
    }
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
    if (mask != 0) return pos + static_cast<size_t>(__builtin_ctz(mask));
    pos += 16;
  }
#endif
  for (; pos + kLen <= n; ++pos) {
    if (std::memcmp(data + pos, needle, kLen) == 0) return pos;
  }
  return kNotFound;
}

// Offset of the next CR LF at or after `pos`, or kNotFound; sets `high` when
// a byte before it (from `pos` on) is 0x80 or above, that is when columns of
// that stretch are not bytes.
inline size_t FindCrLfNotingHigh(std::string_view s, size_t pos, bool& high) {
  const char* data = s.data();
  const size_t n = s.size();
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (pos + 17 <= n) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
    const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 1));
    const unsigned hit = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(after, lf))));
    const unsigned top_bits = static_cast<unsigned>(_mm_movemask_epi8(here));
    if (hit != 0) {
      const unsigned at = static_cast<unsigned>(__builtin_ctz(hit));
      if ((top_bits & ((1u << at) - 1)) != 0) high = true;
      return pos + at;
    }
    if (top_bits != 0) high = true;
    pos += 16;
  }
#endif
  for (; pos < n; ++pos) {
    if (static_cast<unsigned char>(data[pos]) >= 0x80) high = true;
    if (data[pos] == '\r' && pos + 1 < n && data[pos + 1] == '\n') return pos;
  }
  return kNotFound;
}

}  // namespace lirvo::reports::scan
