// SPDX-License-Identifier: MIT
#include "monitor/euc_jp.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

#include "monitor/cp932.h"
#include "monitor/euc_jp_blocks.h"

// LOTWARDEN_PORTABLE_DECODE selects the plain C++ baseline on x86-64 too (to test it).
#if defined(__SSE2__) && !defined(LOTWARDEN_PORTABLE_DECODE)
#define LOTWARDEN_DECODE_SSE2 1
#include <emmintrin.h>
#endif

namespace lotwarden {
namespace {

using euc_jp_detail::BlockDecoder;
using euc_jp_detail::PairChar;

#include "monitor/full_width_kana.inc"

// The full-width form of one character, as a single-shift pair gives it.
constexpr char16_t FullWidth(char16_t c) {
  if (c >= kHalfWidthFirst && c <= kHalfWidthLast) return kFullWidthKana[c - kHalfWidthFirst];
  if (c >= 0x21 && c <= 0x7E) return static_cast<char16_t>(c - 0x21 + 0xFF01);
  if (c == 0x20) return 0x3000;
  return c;
}

// The character of every step, folded into one lookup: at c1 * 256 + c2 for a lead byte
// c1 >= 0x80 (the pair arithmetic and the code page lookup, and for c1 = 0x8E the full-width
// one-byte character), and at c1 itself for an ASCII byte. The rest of the low half is never
// read, so its pages are never touched.
struct StepTable {
  std::array<char16_t, 65536> c;

  StepTable() {
    for (int c1 = 0; c1 < 0x80; ++c1)
      c[c1] = static_cast<char16_t>(c1);
    for (int c1 = 0x80; c1 <= 0xFF; ++c1) {
      for (int c2 = 0; c2 <= 0xFF; ++c2) {
        const auto b1 = static_cast<std::uint8_t>(c1);
        const auto b2 = static_cast<std::uint8_t>(c2);
        char16_t ch;
        if (c1 == 0x8E) {
          ch = FullWidth(Cp932ToUnicode(b2));
        } else {
          const std::uint16_t sjis = EucPairToShiftJis(b1, b2);
          ch = Cp932ToUnicode(static_cast<std::uint8_t>(sjis >> 8),
                              static_cast<std::uint8_t>(sjis & 0xFF));
        }
        c[static_cast<std::size_t>(c1 << 8 | c2)] = ch;
      }
    }
  }
};

const char16_t* Steps() {
  static const StepTable table;
  return table.c.data();
}

// The baseline path: ASCII runs 16 or 32 bytes at a time, runs of pairs one pair at a time.
const std::uint8_t* DecodeRuns(const std::uint8_t* p, const std::uint8_t* stop,
                               const std::uint8_t* end, const char16_t* steps, char16_t*& out) {
  char16_t* o = out;
  while (p < stop) {
#if defined(LOTWARDEN_DECODE_SSE2)
    // Long ASCII runs, 32 bytes at a time.
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 32 && p < stop) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
      if (_mm_movemask_epi8(_mm_or_si128(a, b)) != 0) break;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(a, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(a, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_unpacklo_epi8(b, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 24), _mm_unpackhi_epi8(b, zero));
      p += 32;
      o += 32;
    }
    if (p >= stop) break;
#endif
    if (end - p >= 16) {
#if defined(LOTWARDEN_DECODE_SSE2)
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const int high = _mm_movemask_epi8(bytes);
      if (high == 0xFFFF) {
        // Sixteen lead and second bytes: eight pairs.
        for (int k = 0; k < 8; ++k)
          o[k] = PairChar(p + 2 * k, steps);
        p += 16;
        o += 8;
        continue;
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(bytes, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(bytes, zero));
      const int ascii = high == 0 ? 16 : __builtin_ctz(static_cast<unsigned>(high));
#else
      std::uint64_t lo;
      std::uint64_t hi;
      std::memcpy(&lo, p, 8);
      std::memcpy(&hi, p + 8, 8);
      for (int k = 0; k < 16; ++k)
        o[k] = p[k];
      int ascii = 16;
      if (((lo | hi) & 0x8080808080808080u) != 0) {
        ascii = 0;
        while (p[ascii] < 0x80)
          ++ascii;
      }
#endif
      p += ascii;
      o += ascii;
      if (ascii == 16) continue;
    } else if (*p < 0x80) {
      *o++ = *p++;
      continue;
    }
    // A run of lead bytes 0x80-0xFF, each with its second byte.
    while (p < stop && *p >= 0x80) {
      if (end - p < 2) {
        *o++ = Cp932ToUnicode(*p++);  // the last byte alone: a one-byte code, as it is
        break;
      }
      *o++ = PairChar(p, steps);
      p += 2;
    }
  }
  out = o;
  return p;
}

// The last bytes: the steps one at a time.
char16_t* DecodeTail(const std::uint8_t* p, const std::uint8_t* end, const char16_t* steps,
                     char16_t* o) {
  while (end - p >= 2) {
    if (*p < 0x80) {
      *o++ = *p++;
    } else {
      *o++ = PairChar(p, steps);
      p += 2;
    }
  }
  if (p < end) *o++ = Cp932ToUnicode(*p);  // the last byte alone: a one-byte code, as it is
  return o;
}

// The block decoders this processor can run, fastest first; the last is the fallback.
const std::vector<BlockDecoder>& AvailableBlocks() {
  static const std::vector<BlockDecoder> available = [] {
    std::vector<BlockDecoder> decoders = euc_jp_detail::X86BlockDecoders();
    decoders.push_back(DecodeRuns);
    return decoders;
  }();
  return available;
}

std::u16string Decode(std::string_view bytes, BlockDecoder blocks) {
  auto p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::uint8_t* const end = p + bytes.size();
  const char16_t* const steps = Steps();
  std::u16string text;
  // Written in place, without zero-filling the text first: the text never has more characters
  // than the input has bytes, and the block stores stay within that. (This is why this file is
  // compiled as C++23; it halves the time of long ASCII texts. Streaming stores past the cache
  // were measured slower here, as the text's storage is mostly still cached.)
  text.resize_and_overwrite(bytes.size(), [&](char16_t* out, std::size_t) {
    char16_t* o = out;
    p = blocks(p, end, end, steps, o);
    return static_cast<std::size_t>(DecodeTail(p, end, steps, o) - out);
  });
  return text;
}

}  // namespace
std::uint16_t EucPairToShiftJis(std::uint8_t c1, std::uint8_t c2) {
  const std::uint8_t j1 = c1 & 0x7F;
  const std::uint8_t j2 = c2 & 0x7F;
  auto s2 = static_cast<std::uint8_t>((j1 & 1) != 0 ? j2 + 31 : j2 + 125);
  if (s2 >= 127) ++s2;
  const int d = (static_cast<int>(j1) - 33) / 2;  // truncated toward zero
  auto s1 = static_cast<std::uint8_t>(d + 129);
  if (s1 > 159) s1 += 64;
  return static_cast<std::uint16_t>(s1 << 8 | s2);
}

std::u16string DecodeEucJp(std::string_view bytes) {
  return Decode(bytes, AvailableBlocks().front());
}

std::vector<std::u16string> DecodeEucJpOnEveryPath(std::string_view bytes) {
  std::vector<std::u16string> texts;
  for (const BlockDecoder blocks : AvailableBlocks())
    texts.push_back(Decode(bytes, blocks));
  return texts;
}

}  // namespace lotwarden
