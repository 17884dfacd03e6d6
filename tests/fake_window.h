// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <vector>

#include "monitor/window_controls.h"

namespace lotwarden::testing {

// The window's controls as plain fields, with the defaults of the real window.
class FakeWindow : public WindowControls {
 public:
  std::u16string auctionId;
  std::u16string status;
  std::u16string currentBid;
  std::array<bool, 3> checks{true, true, false};
  int slider = 5;
  bool timerOn = false;
  int openUrlCalls = 0;
  // Every value the monitor asked the slider for, in order.
  std::vector<int> sliderRequests;

  std::u16string AuctionId() const override { return auctionId; }
  std::u16string StatusCaption() const override { return status; }
  void SetStatusCaption(const std::u16string& text) override { status = text; }
  std::u16string CurrentBidCaption() const override { return currentBid; }
  void SetCurrentBidCaption(const std::u16string& text) override { currentBid = text; }
  bool IsChecked(int index) const override { return checks.at(static_cast<size_t>(index)); }
  int SliderValue() const override { return slider; }
  void SetSliderValue(int minutes) override {
    sliderRequests.push_back(minutes);
    slider = ClampInterval(minutes);
  }
  void SetTimerEnabled(bool on) override { timerOn = on; }
  void OpenUrl() override { ++openUrlCalls; }
};

}  // namespace lotwarden::testing
