// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "monitor/window_controls.h"

namespace lotwarden::testing {

// The window's controls as plain fields, with the defaults of the real window.
class FakeWindow : public WindowControls {
 public:
  std::u16string auctionId;
  StatusFields fields;
  int slider = 5;
  bool timerOn = false;
  int openUrlCalls = 0;
  std::u16string shownStatus;
  // Every value the monitor asked the slider for, in order.
  std::vector<int> sliderRequests;

  std::u16string AuctionId() const override { return auctionId; }
  StatusFields ChosenFields() const override { return fields; }
  int Interval() const override { return slider; }
  void SetInterval(int minutes) override {
    sliderRequests.push_back(minutes);
    slider = ClampInterval(minutes);
  }
  void ShowStatus(const std::u16string& status) override { shownStatus = status; }
  void SetTimerEnabled(bool on) override { timerOn = on; }
  void OpenUrl() override { ++openUrlCalls; }
};

}  // namespace lotwarden::testing
