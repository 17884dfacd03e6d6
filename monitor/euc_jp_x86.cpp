// SPDX-License-Identifier: MIT
// The decoder's x86 block paths: 64 bytes at a time with SSSE3, or with AVX-512 (VBMI, VBMI2),
// chosen at run time by what the processor offers.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/euc_jp_blocks.h"

// LOTWARDEN_PORTABLE_DECODE leaves these paths out on x86-64 too (to test the others).
#if defined(__SSE2__) && !defined(LOTWARDEN_PORTABLE_DECODE)
#include <emmintrin.h>
#include <immintrin.h>
#include <tmmintrin.h>

namespace lotwarden::euc_jp_detail {
namespace {

// The input is read in blocks of 64 bytes. A lead byte (0x80-0xFF at the start of a step)
// swallows the byte after it; in a run of such bytes that begins on a step the leads are the
// bytes at even offsets, and a run of odd length also swallows the ASCII byte after it. (A run
// always begins on a step: the byte before it is ASCII, and so is either a step or a second
// byte, and either way the next byte starts a step.) So the second bytes of a block follow from
// its mask of high bytes alone, as the escaped characters of a run of backslashes do.
constexpr std::ptrdiff_t kBlock = 64;

// The second bytes of a block, from its high bytes and `carry` (1 when the block's first byte is
// the second byte of the previous block's last lead, else 0). `over` is set when the block's last
// byte is a lead. Carrying the bit, rather than starting the next block one byte later, keeps the
// blocks' loads independent of the bytes loaded before them.
inline std::uint64_t SecondBytes(std::uint64_t high, std::uint64_t carry, bool& over) {
  constexpr std::uint64_t kEven = 0x5555555555555555u;
  high &= ~carry;
  const std::uint64_t follows = high << 1;
  const std::uint64_t odd_starts = high & ~kEven & ~follows;
  std::uint64_t even_runs;  // runs that begin at even offsets, and the byte past odd ones
  over = __builtin_add_overflow(odd_starts, high, &even_runs);
  return ((kEven ^ (even_runs << 1)) & follows) | carry;
}

// 32 pairs: a block of high bytes only.
inline void DecodePairs32(const std::uint8_t* p, const char16_t* steps, char16_t* o) {
  for (int k = 0; k < 32; ++k)
    o[k] = PairChar(p + 2 * k, steps);
}

inline std::uint64_t HighBytes(__m128i a, __m128i b, __m128i c, __m128i d) {
  return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(a))) |
         static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(b))) << 16 |
         static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(c))) << 32 |
         static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(d))) << 48;
}

inline void Widen16(__m128i v, char16_t* o) {
  const __m128i zero = _mm_setzero_si128();
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(v, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(v, zero));
}

#define LOTWARDEN_LOAD_BLOCK(p)                                                \
  const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));      \
  const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)); \
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)); \
  const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)); \
  const std::uint64_t high = HighBytes(a, b, c, d)

// For each mask of the bytes to keep among eight, the shuffle that widens them into the first
// lanes of eight 16-bit lanes.
struct CompactShuffles {
  alignas(16) std::array<std::array<std::uint8_t, 16>, 256> m{};

  constexpr CompactShuffles() {
    for (int keep = 0; keep < 256; ++keep) {
      int lane = 0;
      for (int i = 0; i < 8; ++i) {
        if ((keep >> i & 1) != 0) {
          m[keep][2 * lane] = static_cast<std::uint8_t>(i);
          m[keep][2 * lane + 1] = 0x80;  // zero high byte
          ++lane;
        }
      }
      for (; lane < 8; ++lane) {
        m[keep][2 * lane] = 0x80;
        m[keep][2 * lane + 1] = 0x80;
      }
    }
  }
};
constexpr CompactShuffles kCompact;

// The bytes of `v` whose bits are set in `keep` (16 bits), widened to characters at o;
// returns the position after them. Writes 16 characters from o whatever `keep` is.
__attribute__((target("ssse3,popcnt"))) inline char16_t* Compact16(__m128i v, unsigned keep,
                                                                   char16_t* o) {
  const unsigned lo = keep & 0xFF;
  const unsigned hi = keep >> 8 & 0xFF;
  const __m128i lo_shuffle = _mm_load_si128(reinterpret_cast<const __m128i*>(&kCompact.m[lo]));
  const __m128i hi_shuffle = _mm_add_epi8(
      _mm_load_si128(reinterpret_cast<const __m128i*>(&kCompact.m[hi])), _mm_set1_epi8(8));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(v, lo_shuffle));
  o += __builtin_popcount(lo);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(v, hi_shuffle));
  return o + __builtin_popcount(hi);
}

// SSSE3: a mixed block is handled without a branch per run: the first bytes of its steps are
// packed and widened eight input bytes at a time, then the characters of the pairs are written
// over their lead bytes.
__attribute__((target("ssse3,popcnt"))) const std::uint8_t* DecodeBlocksSsse3(
    const std::uint8_t* p, const std::uint8_t* stop, const std::uint8_t* end, const char16_t* steps,
    char16_t*& out) {
  char16_t* o = out;
  std::uint64_t carry = 0;
  for (; p + carry < stop && end - p > kBlock; p += kBlock) {
    LOTWARDEN_LOAD_BLOCK(p);
    if (high == 0 && carry == 0) {
      Widen16(a, o);
      Widen16(b, o + 16);
      Widen16(c, o + 32);
      Widen16(d, o + 48);
      o += kBlock;
      continue;
    }
    if (high == ~std::uint64_t{0} && carry == 0) {
      DecodePairs32(p, steps, o);
      o += kBlock / 2;
      continue;
    }
    bool over;
    const std::uint64_t starts = ~SecondBytes(high, carry, over);
    carry = over;
    char16_t* const text = o;
    o = Compact16(a, static_cast<unsigned>(starts), o);
    o = Compact16(b, static_cast<unsigned>(starts >> 16), o);
    o = Compact16(c, static_cast<unsigned>(starts >> 32), o);
    o = Compact16(d, static_cast<unsigned>(starts >> 48), o);
    for (std::uint64_t leads = starts & high; leads != 0; leads &= leads - 1) {
      const std::uint64_t before = (leads & (~leads + 1)) - 1;  // the bits below the lowest lead
      text[__builtin_popcountll(starts & before)] = PairChar(p + __builtin_ctzll(leads), steps);
    }
  }
  out = o;
  return p + carry;
}

// AVX-512 (with VBMI's byte permutes and VBMI2's compress): each high byte is put above its
// successor and each ASCII byte stands alone, and the steps' words are packed in place 32 at a
// time. Kana pairs become their characters there; the other pairs keep their sign bit, which gives
// their places in the text. These are collected for a run of blocks and looked up in one loop
// after it (a loop per block would mispredict its exit on almost every block).
// A run of blocks, with its text, stays within the first-level cache until its pairs are looked up.
constexpr int kLookUpBlocks = 64;
constexpr std::ptrdiff_t kPrefetch = 3072;

// For the word of each byte of a block, the byte above its successor: the indices into the block
// (0-63) and into the block one byte on (64-127) of the first 32 words and of the last 32.
struct PairBytes {
  alignas(64) std::array<std::uint8_t, 64> first{};
  alignas(64) std::array<std::uint8_t, 64> last{};

  constexpr PairBytes() {
    for (int i = 0; i < 32; ++i) {
      first[2 * i] = static_cast<std::uint8_t>(64 + i);
      first[2 * i + 1] = static_cast<std::uint8_t>(i);
      last[2 * i] = static_cast<std::uint8_t>(96 + i);
      last[2 * i + 1] = static_cast<std::uint8_t>(32 + i);
    }
  }
};
constexpr PairBytes kPairBytes;

// Turns the kana pairs among 32 words into their characters; returns the pairs left to look up.
// Hiragana (A4 A1-F3) and katakana (A5 A1-F6) run in the same order as their code points, so a
// kana pair becomes its character by one addition, which spares a large share of the lookups.
__attribute__((target("avx512f,avx512bw"))) inline __mmask32 KanaToCharacters(__m512i& words) {
  const __m512i hiragana = _mm512_sub_epi16(words, _mm512_set1_epi16(static_cast<short>(0xA4A1)));
  const __m512i katakana = _mm512_sub_epi16(words, _mm512_set1_epi16(static_cast<short>(0xA5A1)));
  words = _mm512_mask_add_epi16(words, _mm512_cmplt_epu16_mask(hiragana, _mm512_set1_epi16(0x53)),
                                hiragana, _mm512_set1_epi16(0x3041));
  words = _mm512_mask_add_epi16(words, _mm512_cmplt_epu16_mask(katakana, _mm512_set1_epi16(0x56)),
                                katakana, _mm512_set1_epi16(0x30A1));
  return _mm512_movepi16_mask(words);
}

// Appends the places in the text of the pairs `look` picks among 32 words written at `offset`.
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt"))) inline std::uint16_t* AddPlaces(
    std::uint16_t* at, __mmask32 look, unsigned offset) {
  const __m512i lanes = _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17,
                                         16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
  _mm512_storeu_si512(
      at, _mm512_maskz_compress_epi16(
              look, _mm512_add_epi16(lanes, _mm512_set1_epi16(static_cast<short>(offset)))));
  return at + __builtin_popcount(look);
}

__attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt,bmi"))) const std::uint8_t*
DecodeBlocksAvx512(const std::uint8_t* p, const std::uint8_t* stop, const std::uint8_t* end,
                   const char16_t* steps, char16_t*& out) {
  if (end - p <= kBlock) return p;
  // Each block reads one byte past itself. A block may begin just before `stop` with the second
  // byte of a pair, and so decode a block's worth past it.
  const std::uint8_t* const last = std::min(stop, end - kBlock);
  char16_t* o = out;
  alignas(64) std::array<std::uint16_t, kLookUpBlocks * 32 + 32> places;
  const __m512i pair_bytes0 = _mm512_load_si512(kPairBytes.first.data());
  const __m512i pair_bytes1 = _mm512_load_si512(kPairBytes.last.data());
  std::uint64_t carry = 0;
  while (p < last) {
    char16_t* const text = o;
    unsigned length = 0;  // of the run's text so far
    std::uint16_t* at = places.data();
    const std::uint8_t* const run_end =
        last - p > kLookUpBlocks * kBlock ? p + kLookUpBlocks * kBlock : last;
    for (; p < run_end; p += kBlock) {
      const __m512i bytes = _mm512_loadu_si512(p);
      const std::uint64_t high = _mm512_movepi8_mask(bytes);
      if ((high | carry) == 0) {
        _mm512_storeu_si512(
            text + length,
            _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))));
        _mm512_storeu_si512(
            text + length + 32,
            _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32))));
        length += kBlock;
        continue;
      }
      // The hardware's prefetch falls behind on mixed text, whose blocks take longest.
      __builtin_prefetch(p + kPrefetch, 0, 3);
      if (high == ~std::uint64_t{0} && carry == 0) {
        // 32 pairs: each lead byte above its second byte.
        __m512i pairs = _mm512_shldi_epi16(bytes, bytes, 8);
        const __mmask32 leads = KanaToCharacters(pairs);
        _mm512_storeu_si512(text + length, pairs);
        at = AddPlaces(at, leads, length);
        length += kBlock / 2;
        continue;
      }
      bool over;
      const std::uint64_t starts = ~SecondBytes(high, carry, over);
      carry = over;
      const __m512i next = _mm512_loadu_si512(p + 1);
      __m512i w0 = _mm512_permutex2var_epi8(bytes, pair_bytes0, next);
      __m512i w1 = _mm512_permutex2var_epi8(bytes, pair_bytes1, next);
      w0 = _mm512_mask_srli_epi16(w0, ~static_cast<__mmask32>(high), w0, 8);
      w1 = _mm512_mask_srli_epi16(w1, ~static_cast<__mmask32>(high >> 32), w1, 8);
      __m512i packed0 = _mm512_maskz_compress_epi16(static_cast<__mmask32>(starts), w0);
      __m512i packed1 = _mm512_maskz_compress_epi16(static_cast<__mmask32>(starts >> 32), w1);
      const __mmask32 leads0 = KanaToCharacters(packed0);
      const __mmask32 leads1 = KanaToCharacters(packed1);
      const auto count0 = static_cast<unsigned>(__builtin_popcount(static_cast<__mmask32>(starts)));
      _mm512_storeu_si512(text + length, packed0);
      _mm512_storeu_si512(text + length + count0, packed1);
      at = AddPlaces(at, leads0, length);
      at = AddPlaces(at, leads1, length + count0);
      length += static_cast<unsigned>(__builtin_popcountll(starts));
    }
#pragma GCC unroll 4
    for (const std::uint16_t* q = places.data(); q < at; ++q) {
      char16_t& ch = text[*q];
      ch = steps[ch];
    }
    o = text + length;
  }
  out = o;
  return p + carry;
}

#undef LOTWARDEN_LOAD_BLOCK

}  // namespace

std::vector<BlockDecoder> X86BlockDecoders() {
  std::vector<BlockDecoder> decoders;
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi") &&
      __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("popcnt"))
    decoders.push_back(DecodeBlocksAvx512);
  if (__builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt"))
    decoders.push_back(DecodeBlocksSsse3);
  return decoders;
}

}  // namespace lotwarden::euc_jp_detail

#else

namespace lotwarden::euc_jp_detail {

std::vector<BlockDecoder> X86BlockDecoders() {
  return {};
}

}  // namespace lotwarden::euc_jp_detail

#endif
