// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string_view>

#include "monitor/local_time.h"

namespace lotwarden {

struct IntervalChange {
  int interval = 0;  // already within the slider's range
  LocalMinute nextCheck{};
  friend bool operator==(const IntervalChange&, const IntervalChange&) = default;
};

// Shortens the polling interval as the end nears. `piece` is the page's time piece ("/残り"
// and the time left, or "/終了"). When the minutes left are at most `interval`, the interval
// halves (kept within the slider's range) and the next fetch comes that many minutes after
// `fetchMinute`; otherwise nothing changes.
std::optional<IntervalChange> AdaptInterval(std::u16string_view piece, int interval,
                                            LocalMinute fetchMinute);

}  // namespace lotwarden
