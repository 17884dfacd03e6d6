// SPDX-License-Identifier: MIT
#include "monitor/cp932.h"

#include <cstddef>

namespace lotwarden {
namespace {

#include "monitor/cp932_table.inc"

constexpr std::uint16_t kNoCode = 0xFFFF;

// Row of kCp932Double for a lead byte, or -1 when it is not a lead byte.
constexpr int LeadRow(std::uint8_t lead) {
  if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
  if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + (0x9F - 0x81 + 1);
  return -1;
}

// Character -> code, the inverse of the tables (first code in byte order wins), corrected
// by the encoder's exceptions.
struct EncodeMap {
  std::array<std::uint16_t, 0x10000> code;

  EncodeMap() {
    code.fill(kNoCode);
    for (int byte = 0; byte < 256; ++byte) {
      const char16_t c = kCp932Single[byte];
      if (c != 0xFFFD && code[c] == kNoCode) code[c] = static_cast<std::uint16_t>(byte);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      const int row = LeadRow(static_cast<std::uint8_t>(lead));
      if (row < 0) continue;
      for (int column = 0; column < kCp932TrailCount; ++column) {
        const char16_t c = kCp932Double[row][column];
        if (c != 0xFFFD && code[c] == kNoCode) {
          code[c] = static_cast<std::uint16_t>(lead << 8 | (kCp932TrailFirst + column));
        }
      }
    }
    for (const Cp932EncodeException& e : kCp932EncodeExceptions)
      code[e.unicode] = e.code;
  }
};

const EncodeMap& Encoder() {
  static const EncodeMap map;
  return map;
}

}  // namespace

char16_t Cp932ToUnicode(std::uint8_t byte) {
  return kCp932Single[byte];
}

char16_t Cp932ToUnicode(std::uint8_t lead, std::uint8_t trail) {
  const int row = LeadRow(lead);
  const int column = trail - kCp932TrailFirst;
  if (row < 0 || column < 0 || column >= kCp932TrailCount) return 0xFFFD;
  return kCp932Double[row][column];
}

Cp932Code UnicodeToCp932(char16_t c) {
  const std::uint16_t code = Encoder().code[c];
  if (code == kNoCode) return {0, {0, 0}};
  if (code <= 0xFF) return {1, {static_cast<std::uint8_t>(code), 0}};
  return {2, {static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code & 0xFF)}};
}

}  // namespace lotwarden
