#include "tray/tray_mouse.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "monitor/local_time.h"
#include "tests/fake_window.h"

namespace lotwarden {
namespace {

using Log = std::vector<std::string>;

// The window's controls, logging the two that the tray actions use.
class LoggingWindow : public testing::FakeWindow {
 public:
  explicit LoggingWindow(Log& log) : log_(log) {}
  void SetTimerEnabled(bool on) override {
    FakeWindow::SetTimerEnabled(on);
    log_.push_back(on ? "timer on" : "timer off");
  }
  void OpenUrl() override {
    FakeWindow::OpenUrl();
    log_.push_back("open url");
  }

 private:
  Log& log_;
};

// Logs each platform call with the alert and timer as they stand at that moment.
class LoggingHost : public TrayMenuHost {
 public:
  LoggingHost(Log& log, const MonitorState& state, const testing::FakeWindow& window)
      : log_(log), state_(state), window_(window) {}
  // Run inside ProcessPendingEvents, as events that were waiting.
  std::function<void()> pending;

  void BringWindowToForeground() override { log_.push_back("foreground" + Now()); }
  void ProcessPendingEvents() override {
    log_.push_back("pending" + Now());
    if (pending) pending();
  }
  void PopupMenu() override { log_.push_back("popup" + Now()); }
  void ShowConfig() override { log_.push_back("config"); }

 private:
  std::string Now() const {
    return std::string(state_.alert ? " alert" : "") + (window_.timerOn ? " ticking" : "");
  }
  Log& log_;
  const MonitorState& state_;
  const testing::FakeWindow& window_;
};

struct Fixture {
  Log log;
  MonitorState state;
  LoggingWindow window{log};
  LoggingHost host{log, state, window};

  Fixture() {
    state.alert = true;
    state.faceColour = 14;
    state.lastMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 5));
    state.nextCheck = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 10));
    state.busy = true;
    state.savedInterval = 5;
    state.trayRecord.Fill(3, 4, u"status");
    window.timerOn = true;
  }
  void Mouse(int message) { OnTrayMouse(message, state, window, host); }
};

TEST(TrayMouseTest, OnlyTheFiveMessagesAct) {
  struct Effect {
    Log log;
    bool alert;
    bool lastMinuteKept;
    bool timerOn;
  };
  // Starting from an alert with the timer on and a handled minute. The host's log entries
  // carry " alert" / " ticking" while those stand, so 516's shows that the alert is
  // acknowledged and the tick stopped before the window comes forward.
  const std::map<int, Effect> effects = {
      {512, {{"timer on"}, false, false, true}},
      {513, {{}, false, false, true}},
      {515, {{"open url"}, true, true, true}},
      {516, {{"timer off", "foreground", "pending", "popup"}, false, true, false}},
      {518, {{"config"}, true, true, true}},
  };
  for (int message = 0; message <= 1024; ++message) {
    SCOPED_TRACE(message);
    Fixture f;
    const MonitorState before = f.state;
    f.Mouse(message);
    const auto it = effects.find(message);
    const Effect none{{}, true, true, true};
    const Effect& expected = it == effects.end() ? none : it->second;
    EXPECT_EQ(f.log, expected.log);
    EXPECT_EQ(f.state.alert, expected.alert);
    EXPECT_EQ(f.state.lastMinute.has_value(), expected.lastMinuteKept);
    if (expected.lastMinuteKept) {
      EXPECT_EQ(f.state.lastMinute, before.lastMinute);
    }
    EXPECT_EQ(f.window.timerOn, expected.timerOn);
    // Nothing else of the state is touched by any message.
    EXPECT_EQ(f.state.faceColour, before.faceColour);
    EXPECT_EQ(f.state.nextCheck, before.nextCheck);
    EXPECT_EQ(f.state.busy, before.busy);
    EXPECT_EQ(f.state.savedInterval, before.savedInterval);
    EXPECT_EQ(f.state.trayRecord.Bytes(), before.trayRecord.Bytes());
    EXPECT_TRUE(f.window.sliderRequests.empty());
  }
}

TEST(TrayMouseTest, EventsRunDuringTheRightPressYieldComeAfterTheTimerStops) {
  Fixture f;
  // A pointer movement that was waiting runs in the yield and restarts the tick, which
  // is what the menu then opens with.
  f.host.pending = [&f] { f.Mouse(kWmMouseMove); };
  f.Mouse(kWmRButtonDown);
  EXPECT_EQ(f.log, (Log{"timer off", "foreground", "pending", "timer on", "popup ticking"}));
  EXPECT_FALSE(f.state.lastMinute.has_value());
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
  EXPECT_EQ(f.window.openUrlCalls, 1);
  EXPECT_EQ(f.log, (Log{"open url"}));
}

TEST(TrayMouseTest, RightClickAfterPointerMovementsLeavesTheTickOff) {
  Fixture f;
  f.window.timerOn = false;
  for (int i = 0; i < 3; ++i)
    f.Mouse(kWmMouseMove);
  EXPECT_TRUE(f.window.timerOn);
  EXPECT_FALSE(f.state.alert);
  f.state.alert = true;  // a new bid seen meanwhile
  f.Mouse(kWmRButtonDown);
  f.Mouse(kWmRButtonUp);
  EXPECT_FALSE(f.window.timerOn);
  EXPECT_FALSE(f.state.alert);
  EXPECT_EQ(f.log, (Log{"timer on", "timer on", "timer on", "timer off", "foreground", "pending",
                        "popup"}));
}

}  // namespace
}  // namespace lotwarden
