// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>

namespace lotwarden {

// Windows code page 932 (Japanese Shift_JIS with the NEC and IBM extensions, the user-defined
// area and the single-byte extras 0x80, 0xA0, 0xFD-0xFF).

// The character of a one-byte code; U+FFFD when the code page assigns none (lead bytes of
// two-byte codes included).
char16_t Cp932ToUnicode(std::uint8_t byte);

// The character of the two-byte code lead*256+trail; U+FFFD when the code page assigns none.
char16_t Cp932ToUnicode(std::uint8_t lead, std::uint8_t trail);

// A code page 932 code: length 0 (no code), 1 (bytes[0]) or 2 (bytes[0], bytes[1]).
struct Cp932Code {
  std::uint8_t length;
  std::array<std::uint8_t, 2> bytes;
};

// The code for one character, choosing among duplicate codes as Python's cp932 encoder does.
Cp932Code UnicodeToCp932(char16_t c);

}  // namespace lotwarden
