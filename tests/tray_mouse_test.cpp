// SPDX-License-Identifier: MIT
#include "tray/tray_mouse.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "monitor/local_time.h"
#include "tests/fake_window.h"

namespace lotwarden {
namespace {

using Log = std::vector<std::string>;

// Window and host in one, logging each call; the host's calls carry " alert" / " ticking"
// while those stand, to show what was done before them.
struct Fixture : testing::FakeWindow, TrayMenuHost {
  Log log;
  MonitorState state;

  Fixture() {
    state.alert = true;
    state.faceFill = FaceFill::kYellow;
    state.lastMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 5));
    timerOn = true;
  }
  void Mouse(TrayMouse action) { OnTrayMouse(action, state, *this, *this); }
  std::string Now() const {
    return std::string(state.alert ? " alert" : "") + (timerOn ? " ticking" : "");
  }
  // The outcome after the calls: what is left of the alert, the minute, the face and the tick.
  Log Outcome() const {
    Log out = log;
    out.push_back(std::string(state.alert ? "alert" : "acknowledged") +
                  (state.lastMinute ? "" : " minute cleared") +
                  (state.faceFill == FaceFill::kYellow ? " yellow" : " grey") +
                  (timerOn ? " ticking" : ""));
    return out;
  }

  void SetTimerEnabled(bool on) override {
    FakeWindow::SetTimerEnabled(on);
    log.push_back(on ? "timer on" : "timer off");
  }
  void OpenUrl() override {
    FakeWindow::OpenUrl();
    log.push_back("open url");
  }
  void BringWindowToForeground() override { log.push_back("foreground" + Now()); }
  void ProcessPendingEvents() override { log.push_back("pending" + Now()); }
  void PopupMenu() override { log.push_back("popup" + Now()); }
  void ShowConfig() override { log.push_back("config"); }
};

TEST(TrayMouseTest, EachActionDoesItsSteps) {
  const std::map<TrayMouse, Log> acting = {
      {TrayMouse::kMove, {"timer on", "acknowledged minute cleared yellow ticking"}},
      {TrayMouse::kLeftPress, {"acknowledged minute cleared yellow ticking"}},
      {TrayMouse::kLeftDoubleClick, {"open url", "alert yellow ticking"}},
      {TrayMouse::kRightPress,
       {"timer off", "foreground", "pending", "popup", "acknowledged yellow"}},
      {TrayMouse::kRightDoubleClick, {"config", "alert yellow ticking"}},
  };
  for (const TrayMouse action :
       {TrayMouse::kMove, TrayMouse::kLeftPress, TrayMouse::kLeftRelease,
        TrayMouse::kLeftDoubleClick, TrayMouse::kRightPress, TrayMouse::kRightRelease,
        TrayMouse::kRightDoubleClick, TrayMouse::kMiddle}) {
    SCOPED_TRACE(static_cast<int>(action));
    Fixture f;
    f.Mouse(action);
    const auto it = acting.find(action);
    EXPECT_EQ(f.Outcome(), it != acting.end() ? it->second : Log{"alert yellow ticking"});
  }
}

TEST(TrayMouseTest, LeftDoubleClickAcknowledgesOnceAndOpensTheUrlOnce) {
  Fixture f;
  std::vector<TrayMouse> acknowledgedBy;
  for (const TrayMouse action : {TrayMouse::kLeftPress, TrayMouse::kLeftRelease,
                                 TrayMouse::kLeftDoubleClick, TrayMouse::kLeftRelease}) {
    // A fresh alert and minute before each message show which of them clears them.
    f.state.alert = true;
    f.state.lastMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 6));
    f.Mouse(action);
    if (!f.state.alert && !f.state.lastMinute) acknowledgedBy.push_back(action);
  }
  EXPECT_EQ(acknowledgedBy, (std::vector<TrayMouse>{TrayMouse::kLeftPress}));
  EXPECT_EQ(f.log, (Log{"open url"}));
  EXPECT_EQ(f.openUrlCalls, 1);
}

}  // namespace
}  // namespace lotwarden
