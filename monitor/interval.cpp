// SPDX-License-Identifier: MIT
#include "monitor/interval.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "monitor/window_controls.h"

namespace lotwarden {
namespace {

constexpr std::u16string_view kPrefix = u"/残り";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// A whole number in the signed 16-bit range, with blanks allowed around it; nothing for any
// other text.
std::optional<int> ReadMinutes(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  long value = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > 32768) return std::nullopt;  // keeps the sum small; the range test follows
  }
  if (negative) value = -value;
  if (value < std::numeric_limits<std::int16_t>::min() ||
      value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

int HalfRoundedDown(int value) {
  return (value < 0 ? value - 1 : value) / 2;
}

}  // namespace

std::optional<IntervalChange> AdaptInterval(std::u16string_view piece, int interval,
                                            LocalMinute fetchMinute) {
  // Only a time left in minutes counts: "/終了", days and hours have no "分".
  const size_t unit = piece.find(u'分');
  if (unit == std::u16string_view::npos || unit < kPrefix.size()) return std::nullopt;
  const std::optional<int> minutesLeft =
      ReadMinutes(piece.substr(kPrefix.size(), unit - kPrefix.size()));
  if (!minutesLeft || interval < *minutesLeft) return std::nullopt;

  // The next fetch counts from the minute of this fetch, with the interval the slider takes.
  const int halved = ClampInterval(HalfRoundedDown(*minutesLeft));
  return IntervalChange{halved, fetchMinute + std::chrono::minutes{halved}};
}

}  // namespace lotwarden
