// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lotwarden {

// Decodes an EUC-JP page into text. Each two-byte character goes, by arithmetic, to its
// Shift_JIS code and then to the code page 932 character of that code, so the text holds
// code page 932's characters (A1 C1 gives U+FF5E, AD A1 gives U+2460). A lead byte 0x00-0x7F
// takes one byte, any other lead byte two, whatever the second one is; 8E xx pairs give
// full-width characters, one pair at a time; a lone last byte is a one-byte code. Codes without
// a character give U+FFFD. Never fails.
std::u16string DecodeEucJp(std::string_view bytes);

// The same decoding on every path this processor can run (AVX-512, SSSE3, then the fallback:
// SSE2 on x86-64, plain C++ elsewhere), fastest first; for tests, which must hold on each.
std::vector<std::u16string> DecodeEucJpOnEveryPath(std::string_view bytes);

// The Shift_JIS code (s1 * 256 + s2) that the decoder computes for the pair c1 c2.
std::uint16_t EucPairToShiftJis(std::uint8_t c1, std::uint8_t c2);

}  // namespace lotwarden
