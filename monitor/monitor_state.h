// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "monitor/local_time.h"

namespace lotwarden {

// The clock face's fill: light grey (see-through in the tray icon) or yellow.
enum class FaceFill : std::uint8_t { kGrey, kYellow };

// One step of the blink: yellow after grey while an alert stands, grey otherwise, so the face
// alternates while the alert stands and the first face after it is grey.
constexpr FaceFill NextFaceFill(FaceFill previous, bool alert) {
  return previous == FaceFill::kGrey && alert ? FaceFill::kYellow : FaceFill::kGrey;
}

// The monitor's state, as long-lived as the window. Schedule times are whole minutes with their
// date, so the due test works across midnight.
struct MonitorState {
  // The minute the tick last handled; empty forces the next tick's minute work.
  std::optional<LocalMinute> lastMinute;
  // The minute at or after which the next fetch starts.
  LocalMinute nextCheck{};
  // A page request is outstanding.
  bool busy = false;
  // The interval saved when the window goes to the tray; an ended auction puts it back.
  std::int16_t savedInterval = 0;
  // A changed current bid was seen and not yet acknowledged.
  bool alert = false;
  // The fill of the face drawn last.
  FaceFill faceFill = FaceFill::kGrey;
  // The status line: the tray icon's tooltip from the next minute work on.
  std::u16string status;
  // The current bid seen last; a different one raises the alert.
  std::u16string lastPrice;
  // While a popup menu shows, the face and the tooltip stand still until the menu closes, or
  // until this time at the latest: some notification areas never report a dismissed menu.
  std::optional<LocalSeconds> menuHoldsUntil;
};

}  // namespace lotwarden
