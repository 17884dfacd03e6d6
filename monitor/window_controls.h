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

// What the monitor reads and writes of the main window: its controls, its timer and
// the "Open URL" command. The Qt window implements it; tests use a fake.
class WindowControls {
 public:
  virtual ~WindowControls() = default;

  // A_ID: the auction ID, read afresh every time.
  virtual std::u16string AuctionId() const = 0;
  // Label2: the status line (also the tray tooltip).
  virtual std::u16string StatusCaption() const = 0;
  virtual void SetStatusCaption(const std::u16string& text) = 0;
  // Label3: the last seen current bid.
  virtual std::u16string CurrentBidCaption() const = 0;
  virtual void SetCurrentBidCaption(const std::u16string& text) = 0;
  // Check1(index), index 0 to 2: current bid, time left, title.
  virtual bool IsChecked(int index) const = 0;
  // Slider1: the polling interval in whole minutes, always within 1 to 30.
  virtual int SliderValue() const = 0;
  // Callers pass values already clamped with ClampInterval.
  virtual void SetSliderValue(int minutes) = 0;
  // Timer1: the one-second tick.
  virtual void SetTimerEnabled(bool on) = 0;
  // The "Open URL" command: the auction's page in the browser.
  virtual void OpenUrl() = 0;
};

// Sets the slider, keeping the request within its range.
inline void SetInterval(WindowControls& window, int minutes) {
  window.SetSliderValue(ClampInterval(minutes));
}

}  // namespace lotwarden
