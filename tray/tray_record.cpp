// SPDX-License-Identifier: MIT
#include "tray/tray_record.h"

#include "monitor/cp932.h"

namespace lotwarden {
namespace {

constexpr std::size_t kTipChars = 64;
// The last byte of the tip is kept for the terminating NUL.
constexpr std::size_t kTipTextBytes = TrayIconRecord::kTipBytes - 1;

constexpr bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

constexpr bool IsLeadByte(std::uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

void TrayIconRecord::SetTip(const std::u16string& status) {
  std::u16string text = status.substr(0, kTipChars);
  text.push_back(u'\0');
  text.resize(kTipChars, u' ');

  tip.fill(0);
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    Cp932Code code = UnicodeToCp932(text[i]);
    if (code.length == 0) {
      // One "?" for a whole surrogate pair, as for any other character the code page lacks.
      if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
      code = {1, {'?', 0}};
    }
    if (used + code.length > kTipTextBytes) break;
    for (std::size_t b = 0; b < code.length; ++b)
      tip[used++] = code.bytes[b];
  }
}

std::u16string TrayIconRecord::TooltipText() const {
  std::u16string text;
  for (std::size_t i = 0; i < kTipBytes && tip[i] != 0; ++i) {
    const std::uint8_t b = tip[i];
    if (IsLeadByte(b) && i + 1 < kTipBytes && tip[i + 1] != 0) {
      text.push_back(Cp932ToUnicode(b, tip[i + 1]));
      ++i;
    } else {
      text.push_back(Cp932ToUnicode(b));
    }
  }
  return text;
}

}  // namespace lotwarden
