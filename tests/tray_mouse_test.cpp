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
    state.faceColour = 14;
    state.lastMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 5));
    timerOn = true;
  }
  void Mouse(int message) { OnTrayMouse(message, state, *this, *this); }
  std::string Now() const {
    return std::string(state.alert ? " alert" : "") + (timerOn ? " ticking" : "");
  }
  // The outcome after the calls: what is left of the alert, the minute, the face and the tick.
  Log Outcome() const {
    Log out = log;
    out.push_back(std::string(state.alert ? "alert" : "acknowledged") +
                  (state.lastMinute ? "" : " minute cleared") + " face " +
                  std::to_string(state.faceColour) + (timerOn ? " ticking" : ""));
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

TEST(TrayMouseTest, OnlyTheFiveMessagesAct) {
  const std::map<int, Log> acting = {
      {512, {"timer on", "acknowledged minute cleared face 14 ticking"}},
      {513, {"acknowledged minute cleared face 14 ticking"}},
      {515, {"open url", "alert face 14 ticking"}},
      {516, {"timer off", "foreground", "pending", "popup", "acknowledged face 14"}},
      {518, {"config", "alert face 14 ticking"}},
  };
  for (int message = 0; message <= 1024; ++message) {
    SCOPED_TRACE(message);
    Fixture f;
    f.Mouse(message);
    const auto it = acting.find(message);
    EXPECT_EQ(f.Outcome(), it != acting.end() ? it->second : Log{"alert face 14 ticking"});
  }
}

TEST(TrayMouseTest, LeftDoubleClickAcknowledgesOnceAndOpensTheUrlOnce) {
  Fixture f;
  std::vector<int> acknowledgedBy;
  for (const int message : {kWmLButtonDown, kWmLButtonUp, kWmLButtonDblClk, kWmLButtonUp}) {
    // A fresh alert and minute before each message show which of them clears them.
    f.state.alert = true;
    f.state.lastMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 6));
    f.Mouse(message);
    if (!f.state.alert && !f.state.lastMinute) acknowledgedBy.push_back(message);
  }
  EXPECT_EQ(acknowledgedBy, (std::vector<int>{kWmLButtonDown}));
  EXPECT_EQ(f.log, (Log{"open url"}));
  EXPECT_EQ(f.openUrlCalls, 1);
}

}  // namespace
}  // namespace lotwarden
