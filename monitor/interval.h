// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

#include "monitor/local_time.h"
#include "monitor/monitor_state.h"
#include "monitor/window_controls.h"

namespace lotwarden {

// Shortens the polling interval as the end nears. `piece` is the time piece of the page
// analysis: "/残り" and the time left, or "/終了". When the minutes left are at most the
// current interval, the interval is halved and the next fetch rescheduled from the minute of
// the fetch (lastMinute, or the minute of `now` when that is empty).
void AdaptInterval(std::u16string_view piece, MonitorState& state, WindowControls& window,
                   LocalSeconds now);

}  // namespace lotwarden
