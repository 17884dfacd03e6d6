// SPDX-License-Identifier: MIT
// The monitor's schedule and collection, driven by a hand-set clock one tick a second.
#include "monitor/monitor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "monitor/urls.h"
#include "tests/fakes.h"
#include "tray/tray_mouse.h"

namespace lotwarden {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using namespace testing;  // lotwarden::testing

std::string ItemPage(std::string_view price, std::string_view timeLeft) {
  return EucJp("<HTML><TITLE>Yahoo!オークション - Old camera</TITLE>\n<TD>現在の価格</TD><TD><B>" +
               std::string(price) + "</B></TD>\n<TD>残り時間</TD><TD>" + std::string(timeLeft) +
               "</TD>\n</HTML>\n");
}

LocalMinute At(int hour, int minute) {
  return MinuteOf(MakeLocalTime(2026, 12, 7, hour, minute));
}

class MonitorTest : public ::testing::Test {
 protected:
  // Moves the clock on by whole seconds, ticking once a second while the timer runs.
  void RunSeconds(int count) {
    for (int i = 0; i < count; ++i) {
      clock.now += seconds{1};
      if (window.timerOn) monitor.OnTick();
    }
  }
  void RunUntil(int hour, int minute) {
    RunSeconds(static_cast<int>((LocalSeconds{At(hour, minute)} - clock.now).count()));
  }
  MonitorState& state() { return monitor.state(); }
  std::u16string Calls(size_t from) const {
    std::u16string joined;
    for (size_t i = from; i < tray.calls.size(); ++i)
      joined += (i > from ? u"|" : u"") + tray.calls[i];
    return joined;
  }

  FakeWindow window;
  FakeTransfer transfer;
  FakeTray tray;
  FakeClock clock{MakeLocalTime(2026, 12, 7, 9, 0, 0)};
  Monitor monitor{window, transfer, tray, clock};
};

// Start draws at once, fetches an interval later; "TaskTray" fetches at once, runs the timer.
TEST_F(MonitorTest, StartAndTaskTraySchedule) {
  window.auctionId = u"b1";
  state().status = u"old";
  state().alert = true;
  monitor.Start();
  RunSeconds(1);
  EXPECT_EQ(Calls(0), u"add:old|old@9:00");
  window.slider = 1;
  RunUntil(9, 4);
  RunSeconds(59);
  EXPECT_TRUE(transfer.urls.empty() && !state().alert);
  EXPECT_EQ(tray.calls.size(), 6u);  // one minute work for each of 9:00 to 9:04
  RunSeconds(1);
  EXPECT_EQ(transfer.urls, std::vector<std::u16string>{ItemPageUrl(u"b1")});
  EXPECT_EQ(state().nextCheck, At(9, 6));
  monitor.CollectResponse(TransferOutcome::kError, "");
  window.auctionId = u"";
  window.slider = 7;
  window.timerOn = false;
  monitor.GoToTray();
  EXPECT_EQ(window.shownStatus, u"Please input AuctionID");
  EXPECT_TRUE(state().savedInterval == 7 && state().nextCheck == At(9, 12) && window.timerOn);
  window.auctionId = u" b2 x";
  monitor.GoToTray();
  EXPECT_EQ(transfer.urls.back(), ItemPageUrl(u" b2 x"));
  EXPECT_TRUE(state().busy && window.timerOn);  // on again although the request is outstanding
  monitor.CollectResponse(TransferOutcome::kError, "");
  transfer.respond = [this](const std::u16string&) {
    monitor.CollectResponse(TransferOutcome::kError, "");
  };
  window.slider = 30;  // the longest interval: a next check that far ahead is not a clock set back
  monitor.GoToTray();
  RunSeconds(120);
  EXPECT_EQ(transfer.urls.size(), 3u);
}

// A fetch that cannot start says why, in the tooltip of the next tick; the schedule moves on.
TEST_F(MonitorTest, AFetchThatCannotStartSaysWhyOnTheNextTick) {
  monitor.Start();
  RunUntil(9, 5);
  EXPECT_EQ(state().nextCheck, At(9, 10));
  RunSeconds(2);
  EXPECT_EQ(Calls(6), u"@9:05|Please input AuctionID@9:05");

  window.auctionId = u"b1";
  monitor.GoToTray();  // never answered
  RunUntil(9, 10);
  EXPECT_TRUE(transfer.urls.size() == 1 && state().status == u"Maybe error");
  monitor.CollectResponse(TransferOutcome::kError, "");
  RunUntil(9, 15);
  EXPECT_EQ(transfer.urls.size(), 2u);
}

TEST_F(MonitorTest, TheFaceBlinksWhileTheAlertStandsAndTurnsGreyAfter) {
  window.auctionId = u"b1";
  transfer.respond = [this](const std::u16string&) {
    monitor.CollectResponse(TransferOutcome::kCompleted, ItemPage("100 円", "3日"));
  };
  monitor.Start();
  RunUntil(9, 5);  // the first price raises the alert
  RunSeconds(4);
  state().alert = false;  // acknowledged while yellow, as the pointer does
  state().lastMinute.reset();
  RunSeconds(10);
  const std::u16string s = u"100 円/残り3日@9:05";
  EXPECT_EQ(Calls(6),
            u"@9:05 yellow|" + s + u"|" + s + u" yellow|" + s + u"|" + s + u" yellow|" + s);
  monitor.IdChanged();
  EXPECT_EQ(state().status + state().lastPrice + window.shownStatus, u"");
  EXPECT_FALSE(state().lastMinute);
}

// An open menu acknowledges the alert and holds the face and the tooltip, never a fetch, until it
// closes, the pointer comes back or the hold's limit passes (a dismissal never reported).
TEST_F(MonitorTest, AnOpenMenuHoldsTheFaceButNeverTheFetch) {
  struct : TrayMenuHost {
    void BringWindowToForeground() override {}
    void ProcessPendingEvents() override {}
    void PopupMenu() override {}
    void ShowConfig() override {}
  } host;
  const auto act = [&](TrayMouse action) { OnTrayMouse(action, clock.now, state(), window, host); };
  const auto refreshesIn = [&](int count) {
    const size_t before = tray.calls.size();
    RunSeconds(count);
    return tray.calls.size() - before;
  };
  window.auctionId = u"b1";
  transfer.respond = [this](const std::u16string&) {
    monitor.CollectResponse(TransferOutcome::kCompleted, ItemPage("100 円", "3日"));
  };
  monitor.Start();
  RunUntil(9, 9);
  RunSeconds(state().faceFill == FaceFill::kYellow ? 50 : 51);  // yellow, blinking since 9:05
  act(TrayMouse::kRightPress);
  EXPECT_EQ(refreshesIn(12), 1u);  // turned grey once; held through the fetch due at 9:10
  EXPECT_EQ(transfer.urls.size(), 2u);
  EXPECT_EQ(Calls(tray.calls.size() - 1), u"100 円/残り3日@9:09");
  act(TrayMouse::kMenuClosed);
  EXPECT_EQ(refreshesIn(1), 1u);
  RunUntil(9, 10);
  RunSeconds(50);
  for (const auto end : {TrayMouse::kMove, TrayMouse::kRightPress}) {
    act(TrayMouse::kHostMenuOpened);
    EXPECT_EQ(refreshesIn(20), 0u);  // past the next minute
    if (end == TrayMouse::kMove) act(end);
    EXPECT_EQ(refreshesIn(kMenuHoldLimit.count() - 20), 1u);
    RunUntil(9, 11 + (end == TrayMouse::kMove));
    RunSeconds(50);
  }
}

TEST_F(MonitorTest, CollectingEndsTheRequestAndAppliesWhatThePageSays) {
  const struct {
    TransferOutcome outcome;
    std::string body;
    std::u16string status;
    bool alert;
    int slider;  // from 5; 20 saved
  } cases[] = {
      {TransferOutcome::kError, ItemPage("1 円", "1日"), u"net error", false, 5},
      {TransferOutcome::kCompleted, "", u"ロードできていません.", false, 5},
      {TransferOutcome::kCompleted, ItemPage("12 円", "45&nbsp;分"), u"12 円/残り45分", true, 5},
      {TransferOutcome::kCompleted, ItemPage("400 円", "4&nbsp;分"), u"400 円/残り4分", false, 2},
      {TransferOutcome::kCompleted, ItemPage("", "終了"), u"/終了", true, 20},
  };
  for (const auto& c : cases) {
    FakeWindow w;
    FakeTransfer x;
    Monitor m{w, x, tray, clock};
    w.auctionId = u"b1";
    m.state().savedInterval = 20;
    m.StartFetch();
    m.CollectResponse(TransferOutcome::kCompleted, ItemPage("400 円", "1日"));
    m.state().alert = false;  // acknowledged: each case is a second fetch
    m.StartFetch();
    m.state().lastMinute = At(8, 58);  // the fetch's minute; now is 9:00
    m.state().nextCheck = At(9, 3);
    m.CollectResponse(c.outcome, c.body);
    EXPECT_EQ(w.shownStatus, c.status);
    EXPECT_EQ(m.state().alert, c.alert) << ::testing::PrintToString(c.status);
    EXPECT_EQ(w.slider, c.slider);
    // A shortened interval counts from the minute of the fetch.
    EXPECT_EQ(m.state().nextCheck, c.slider == 2 ? At(9, 0) : At(9, 3));
    EXPECT_TRUE(!m.state().busy && !m.state().lastMinute && w.timerOn);
  }
}

// "Open URL" on a login page runs inside the collection; a fetch from there finds it busy.
TEST_F(MonitorTest, TheStatusIsInPlaceBeforeAnotherFetchCanStart) {
  window.auctionId = u"b1";
  window.onOpenUrl = [this] { monitor.StartFetch(); };
  monitor.StartFetch();
  monitor.CollectResponse(TransferOutcome::kCompleted,
                          EucJp("IDとパスワードを入力してログインしてください"));
  EXPECT_EQ(transfer.urls.size(), 1u);
  EXPECT_EQ(window.openUrlCalls, 1);
  EXPECT_EQ(state().status, u"YAHOO!オークションにログオンしてください．");
}

// A day across midnight, an auction ending at 21:00 every day, a six-hour sleep, a clock set back.
TEST_F(MonitorTest, ASimulatedDayFetchesEachTimeOnItsMinute) {
  std::vector<std::pair<LocalSeconds, std::u16string>> fetches;
  transfer.respond = [&](const std::u16string&) {
    const LocalSeconds now = clock.now, day = std::chrono::floor<std::chrono::days>(now);
    LocalSeconds end = day + std::chrono::hours{21};
    if (now >= end + minutes{10}) end += std::chrono::days{1};
    const auto left = std::chrono::duration_cast<seconds>(end - now).count();
    const std::string time = left <= 0      ? "終了"
                             : left >= 3600 ? std::to_string(left / 3600) + "時間"
                                            : std::to_string(left / 60) + "&nbsp;分";
    monitor.CollectResponse(TransferOutcome::kCompleted, ItemPage("1 円", time));
    fetches.emplace_back(now, state().status.substr(3));
  };
  clock.now = MakeLocalTime(2026, 12, 7, 20, 0, 0);
  window.auctionId = u"b1";
  monitor.Start();
  RunSeconds(30);
  monitor.GoToTray();
  const LocalSeconds sleep = MakeLocalTime(2026, 12, 8, 1, 0, 0),
                     wake = sleep + std::chrono::hours{6};
  const LocalSeconds setBack = MakeLocalTime(2026, 12, 8, 12, 0, 30);
  for (bool setAlready = false; clock.now < MakeLocalTime(2026, 12, 8, 21, 30, 0);) {
    if (clock.now == sleep) clock.now = wake;
    if (clock.now == setBack && !std::exchange(setAlready, true)) clock.now -= minutes{59};
    RunSeconds(1);
  }
  // Each next fetch on the minute the interval then in force gives (halved near the end, back
  // after).
  int interval = 5, checked = 0;
  for (size_t i = 0; i + 1 < fetches.size(); ++i) {
    const auto& [at, status] = fetches[i];
    const LocalSeconds from{MinuteOf(at)};
    LocalSeconds next = from + minutes{interval};
    if (status == u"/終了") {
      interval = 5;
    } else if (const size_t unit = status.find(u"分"); unit != std::u16string::npos) {
      const int left = std::stoi(std::string(status.begin() + 3, status.begin() + unit));
      if (interval >= left) next = from + minutes{interval = std::max(1, left / 2)};
    }
    const LocalSeconds actual = fetches[i + 1].first;
    if (at < sleep && actual > sleep) {
      EXPECT_EQ(actual, wake + seconds{1});  // a passed check is due on waking
    } else if (actual < at) {
      EXPECT_EQ(actual, setBack - minutes{59} + seconds{1});  // set back: due at once
    } else {
      EXPECT_EQ(actual, next) << i;
      ++checked;
    }
  }
  EXPECT_GT(checked, 200);
  EXPECT_EQ(window.slider, 5);
}

}  // namespace
}  // namespace lotwarden
