// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "monitor/local_time.h"
#include "tray/tray_record.h"

namespace lotwarden {

// The window's one state record. Schedule times are kept as whole minutes with their
// date, so the due test works across midnight; their texts are HourMinute of them.
struct MonitorState {
  // The record handed to the shell for the tray icon; its tooltip is refreshed by the tick.
  TrayIconRecord trayRecord;
  // The minute the tick last handled; empty forces the next tick's minute work.
  std::optional<LocalMinute> lastMinute;
  // The minute at or after which the next fetch starts.
  LocalMinute nextCheck{};
  // A page request is outstanding.
  bool busy = false;
  // The interval saved when the window goes to the tray.
  std::int16_t savedInterval = 0;
  // A changed current bid was seen and not yet acknowledged.
  bool alert = false;
  // Colour index of the clock-face fill: 7 (light grey) or 14 (yellow).
  std::int16_t faceColour = 7;

  std::u16string LastMinuteText() const { return lastMinute ? HourMinute(*lastMinute) : u""; }
  std::u16string NextCheckText() const { return HourMinute(nextCheck); }
};

}  // namespace lotwarden
