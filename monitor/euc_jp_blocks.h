// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

// The decoder's inner loops, shared by the portable file and the x86 block paths.
namespace lotwarden::euc_jp_detail {

// The character of the pair at q (q[0] >= 0x80), from the decoder's folded step table.
inline char16_t PairChar(const std::uint8_t* q, const char16_t* steps) {
  return steps[static_cast<unsigned>(q[0]) << 8 | q[1]];
}

// Decodes the steps that begin before `stop` (and perhaps up to a block of 64 bytes more), reading
// no byte at or past `end`, and returns the read position, on a step. Writes no more characters
// than bytes consumed, but block stores may write up to 64 characters ahead of the text.
using BlockDecoder = const std::uint8_t* (*)(const std::uint8_t* p, const std::uint8_t* stop,
                                             const std::uint8_t* end, const char16_t* steps,
                                             char16_t*& out);

// The x86 block decoders this processor can run (AVX-512, SSSE3), fastest first; none on
// other processors or in a portable build.
std::vector<BlockDecoder> X86BlockDecoders();

}  // namespace lotwarden::euc_jp_detail
