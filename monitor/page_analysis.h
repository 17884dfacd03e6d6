// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "monitor/local_time.h"
#include "monitor/monitor_state.h"
#include "monitor/window_controls.h"

namespace lotwarden {

// Turns the decoded text of an auction's item page into the status line: the current price,
// the time left and the title as the check boxes choose, or one of the site's messages. A
// changed price raises the alert and becomes the current-bid caption; the time left goes to
// AdaptInterval, and an ended auction puts the saved interval back on the slider. `now` is
// passed on to AdaptInterval.
std::u16string AnalyzePage(std::u16string_view page, MonitorState& state, WindowControls& window,
                           LocalSeconds now);

}  // namespace lotwarden
