// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "monitor/monitor_state.h"

namespace lotwarden {

// What the clock face shows: the minute being handled, in the blink's fill.
struct FaceReading {
  int hour = 0;  // 0 to 23
  int minute = 0;
  FaceFill fill = FaceFill::kGrey;
  friend bool operator==(const FaceReading&, const FaceReading&) = default;
};

// The notification-area icon as the schedule drives it.
class TrayPresence {
 public:
  virtual ~TrayPresence() = default;
  // Shows the icon with the window's own picture and the given tooltip.
  virtual void AddTrayIcon(const std::u16string& tooltip) = 0;
  // The minute work's last step: the clock face becomes the icon, with `tooltip`.
  virtual void RefreshTrayIcon(const std::u16string& tooltip, const FaceReading& face) = 0;
};

}  // namespace lotwarden
