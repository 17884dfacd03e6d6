// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace lotwarden {

// The polling interval's range in whole minutes (the slider's limits).
inline constexpr int kMinInterval = 1;
inline constexpr int kMaxInterval = 30;

constexpr int ClampInterval(int minutes) {
  return minutes < kMinInterval ? kMinInterval : minutes > kMaxInterval ? kMaxInterval : minutes;
}

// Which parts the status line shows; the window's three check boxes choose them.
struct StatusFields {
  bool price = true;
  bool timeLeft = true;
  bool title = false;
};

// What the monitor reads and drives of the main window: its controls, its one-second timer and
// the "Open URL" command. The Qt window implements it; tests use a fake.
class WindowControls {
 public:
  virtual ~WindowControls() = default;

  // The auction ID as the user typed it, read afresh every time.
  virtual std::u16string AuctionId() const = 0;
  virtual StatusFields ChosenFields() const = 0;
  // The polling interval in whole minutes, always within kMinInterval to kMaxInterval.
  virtual int Interval() const = 0;
  // Callers pass values already clamped with ClampInterval.
  virtual void SetInterval(int minutes) = 0;
  // The status line changed (the window shows it where there is no notification area).
  virtual void ShowStatus(const std::u16string& status) = 0;
  // The one-second tick; switching on a running timer keeps its phase.
  virtual void SetTimerEnabled(bool on) = 0;
  // The "Open URL" command: the auction's page in the browser.
  virtual void OpenUrl() = 0;
};

}  // namespace lotwarden
