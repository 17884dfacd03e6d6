#pragma once

#include <string>

#include "monitor/tray_presence.h"

namespace lotwarden {

// Stands in for the notification-area icon until the program has one: the monitor's tray
// steps run and show nothing.
class TrayPlaceholder : public TrayPresence {
 public:
  void AddTrayIcon(const std::u16string&) override {}
  void CopyTooltip(const std::u16string&) override {}
  void DrawClockFace(const std::u16string&) override {}
  void RefreshTrayIcon() override {}
};

}  // namespace lotwarden
