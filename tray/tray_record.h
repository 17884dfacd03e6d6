// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lotwarden {

// The notification-icon record kept for the tray icon and handed over on every tray call:
// the first, 88-byte version of the shell's NOTIFYICONDATA with single-byte (code page 932)
// text, all integers little-endian. Zero until Fill.
struct TrayIconRecord {
  static constexpr std::size_t kSize = 88;
  static constexpr std::size_t kTipBytes = 64;
  // The icon's number within its window.
  static constexpr std::uint32_t kIconId = 1;
  // NIF_MESSAGE | NIF_ICON | NIF_TIP: message, icon and tooltip are valid.
  static constexpr std::uint32_t kFlags = 1 | 2 | 4;
  // Mouse actions over the icon come back as WM_MOUSEMOVE.
  static constexpr std::uint32_t kCallbackMessage = 512;

  std::uint32_t cbSize = 0;
  // The main window, which receives the mouse messages.
  std::uint32_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  // The icon shown: first the window's own, then the one made from each clock face.
  std::uint32_t hIcon = 0;
  // The tooltip in code page 932, NUL-terminated; always ends in a NUL.
  std::array<std::uint8_t, kTipBytes> szTip{};

  // Fills every field for adding the icon.
  void Fill(std::uint32_t window, std::uint32_t icon, const std::u16string& status);

  // The tooltip copy: the status, a NUL and spaces, as a 64-character text cut to 64
  // characters, then converted to code page 932 ("?" for a character it lacks). The
  // conversion stops before a character whose bytes would pass the 63rd byte, so a
  // two-byte character is never split; the bytes after it are NUL.
  void SetTip(const std::u16string& status);

  // The 88-byte image handed to the shell.
  std::array<std::uint8_t, kSize> Bytes() const;

  // What the tooltip shows: szTip up to its first NUL, decoded.
  std::u16string TooltipText() const;
};

}  // namespace lotwarden
