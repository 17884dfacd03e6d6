// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lotwarden {

// What the tray icon carries of the status line: the tooltip as the notification area has
// always shown it, 63 bytes of code page 932 text at most and never a character cut in two.
struct TrayIconRecord {
  static constexpr std::size_t kTipBytes = 64;

  // The tooltip in code page 932, NUL-terminated; always ends in a NUL.
  std::array<std::uint8_t, kTipBytes> tip{};

  // The status as a 64-character text (the status, a NUL, then spaces; cut to 64 characters)
  // in code page 932, "?" for a character it lacks. The conversion stops before a character
  // whose bytes would pass the 63rd byte; the bytes after it are NUL.
  void SetTip(const std::u16string& status);

  // What the tooltip shows: the tip up to its first NUL, decoded.
  std::u16string TooltipText() const;
};

}  // namespace lotwarden
