// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/window_controls.h"

namespace lotwarden {

// The most of a field (the price, the time left, the title) that a reading keeps. The status
// line is never shown longer than the window title's 256 characters or the tooltip's 63 bytes,
// so a page's bigger fields need not be held for the rest of the program's life. Fields of up
// to 4,096 characters are kept whole; a longer one keeps one character more, so that it still
// differs from every field that was kept whole (a price that grows past the bound raises the
// alert).
inline constexpr std::size_t kKeptFieldLength = 4097;

// What one page says.
struct PageReading {
  // The status line: the parts that `fields` chose, or one of the site's messages.
  std::u16string status;
  // The site's login page: the auction's page should open in the browser.
  bool loginPage = false;
  // The current price; read only on an item page whose status shows it.
  std::optional<std::u16string> price;
  // The time piece: "/残り" and the time left, or "/終了"; read on every item page.
  std::optional<std::u16string> timePiece;
  // The auction has ended (the time piece is "/終了").
  bool ended = false;
  friend bool operator==(const PageReading&, const PageReading&) = default;
};

// Reads the decoded text of an auction's item page: the site's login and error pages and a
// cut-off page by their fixed sentences, otherwise the current price, the time left and the
// title by the page's fixed markers, in any letter case.
PageReading AnalyzePage(std::u16string_view page, StatusFields fields);

}  // namespace lotwarden
