// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace lotwarden {

// The tray steps that the schedule runs: the notification-area icon, its tooltip and the
// clock face drawn for it.
class TrayPresence {
 public:
  virtual ~TrayPresence() = default;
  // Adds the icon with the window's own picture and the given tooltip.
  virtual void AddTrayIcon(const std::u16string& tooltip) = 0;
  // Copies the status into the tray record's tooltip; nothing is sent yet.
  virtual void CopyTooltip(const std::u16string& status) = 0;
  // Draws the face of the minute given as an HourMinute text ("9:05").
  virtual void DrawClockFace(const std::u16string& minuteText) = 0;
  // Makes the icon from the face just drawn and sends icon and tooltip to the shell.
  virtual void RefreshTrayIcon() = 0;
};

}  // namespace lotwarden
