// SPDX-License-Identifier: MIT
#include "monitor/monitor.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "monitor/urls.h"
#include "tests/fake_window.h"
#include "tests/fakes.h"

namespace lotwarden {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using testing::EucJp;
using testing::FakeClock;
using testing::FakeTransfer;
using testing::FakeTray;
using testing::FakeWindow;

std::string ItemPage(std::string_view price, std::string_view timeLeft) {
  return EucJp(std::string("<HTML><TITLE>Yahoo!オークション - Old camera</TITLE>\n") +
               "<TR><TD>現在の価格</TD><TD><B>" + std::string(price) + "</B></TD></TR>\n" +
               "<TR><TD>残り時間</TD><TD>" + std::string(timeLeft) + "</TD></TR>\n</HTML>\n");
}

class MonitorTest : public ::testing::Test {
 protected:
  MonitorTest() : clock(MakeLocalTime(2026, 12, 7, 9, 0, 0)) {}

  // Moves the clock on by whole seconds, ticking once a second while the timer runs.
  void RunSeconds(int count) {
    for (int i = 0; i < count; ++i) {
      clock.now += seconds{1};
      if (window.timerOn) monitor.OnTick();
    }
  }
  void RunUntil(int hour, int minute, int second = 0) {
    const LocalSeconds target = std::chrono::floor<std::chrono::days>(clock.now) +
                                std::chrono::hours{hour} + minutes{minute} + seconds{second};
    RunSeconds(static_cast<int>((target - clock.now).count()));
  }
  // The site answers every request at once with `page`.
  void AnswerWith(std::string page) {
    transfer.respond = [this, page](const std::u16string&) {
      monitor.CollectResponse(TransferOutcome::kCompleted, page);
    };
  }
  size_t Count(const std::u16string& call) const {
    return static_cast<size_t>(std::count(tray.calls.begin(), tray.calls.end(), call));
  }
  // A minute of the test's first day.
  static LocalMinute At(int hour, int minute) {
    return MinuteOf(MakeLocalTime(2026, 12, 7, hour, minute));
  }
  const std::u16string& status() const { return monitor.state().status; }

  FakeWindow window;
  FakeTransfer transfer;
  FakeTray tray;
  FakeClock clock;
  Monitor monitor{window, transfer, tray, clock};
};

TEST_F(MonitorTest, StartAddsTheIconAndSchedulesTheFirstFetchOneIntervalAhead) {
  window.auctionId = u"b123";
  monitor.state().status = u"old";
  monitor.state().faceFill = FaceFill::kYellow;
  monitor.state().alert = true;
  monitor.Start();
  EXPECT_EQ(tray.calls, std::vector<std::u16string>{u"add:old"});
  EXPECT_EQ(monitor.state().nextCheck, At(9, 5));
  EXPECT_FALSE(monitor.state().alert);
  EXPECT_TRUE(window.timerOn);

  RunSeconds(1);  // the first tick draws at once (grey), since lastMinute is empty
  EXPECT_EQ(tray.calls, (std::vector<std::u16string>{u"add:old", u"refresh:old@9:00"}));
  RunUntil(9, 4, 59);
  EXPECT_TRUE(transfer.urls.empty());
  EXPECT_EQ(tray.refreshes, 5u);  // one minute work for each of 9:00 to 9:04
  RunSeconds(1);
  EXPECT_EQ(transfer.urls, std::vector<std::u16string>{ItemPageUrl(u"b123")});
  EXPECT_EQ(monitor.state().nextCheck, At(9, 10));
}

TEST_F(MonitorTest, TaskTrayFetchesAtOnceAndCountsTheNextFetchFromNow) {
  monitor.Start();
  monitor.GoToTray();  // with no ID: nothing to fetch, but the timer runs
  EXPECT_EQ(status(), u"Please input AuctionID");
  EXPECT_EQ(window.shownStatus, u"Please input AuctionID");
  EXPECT_TRUE(transfer.urls.empty());
  EXPECT_TRUE(window.timerOn);
  RunUntil(9, 2, 30);
  window.auctionId = u" b123 x";
  window.slider = 7;
  monitor.GoToTray();
  EXPECT_EQ(transfer.urls, std::vector<std::u16string>{u"http://page.auctions.yahoo.co.jp/jp/"
                                                       u"auction/ b123 x"});
  EXPECT_EQ(monitor.state().savedInterval, 7);
  EXPECT_EQ(monitor.state().nextCheck, At(9, 9));
  EXPECT_TRUE(monitor.state().busy);
  EXPECT_TRUE(window.timerOn);  // on again although the request is outstanding
}

TEST_F(MonitorTest, SliderChangeDoesNotMoveTheNextCheck) {
  window.auctionId = u"b1";
  monitor.Start();
  RunSeconds(30);
  window.slider = 1;
  RunUntil(9, 4, 59);
  EXPECT_TRUE(transfer.urls.empty());
  EXPECT_EQ(monitor.state().nextCheck, At(9, 5));
  RunSeconds(1);
  EXPECT_EQ(transfer.urls.size(), 1u);
  EXPECT_EQ(monitor.state().nextCheck, At(9, 6));  // the new interval counts from here
}

TEST_F(MonitorTest, AnEmptyIdMovesTheScheduleOnAndRedrawsOnTheNextTick) {
  monitor.Start();
  RunUntil(9, 5, 0);
  EXPECT_EQ(status(), u"Please input AuctionID");
  EXPECT_EQ(monitor.state().nextCheck, At(9, 10));
  EXPECT_FALSE(monitor.state().lastMinute.has_value());
  // Drawn for the minute handled although emptied, with the tooltip as the minute began.
  EXPECT_EQ(tray.calls.back(), u"refresh:@9:05");
  RunSeconds(1);
  EXPECT_EQ(tray.calls.back(), u"refresh:Please input AuctionID@9:05");
  const size_t refreshes = tray.refreshes;
  RunSeconds(1);
  EXPECT_EQ(tray.refreshes, refreshes);
}

TEST_F(MonitorTest, AStandingAlertRunsTheMinuteWorkEverySecond) {
  monitor.Start();
  RunSeconds(1);
  monitor.state().alert = true;
  RunSeconds(4);  // the face blinks: yellow, grey, yellow, grey
  EXPECT_EQ(Count(u"refresh:@9:00 yellow"), 2u);
  EXPECT_EQ(Count(u"refresh:@9:00"), 3u);
  RunSeconds(1);
  monitor.state().alert = false;  // acknowledged while yellow: the next face is grey
  monitor.state().lastMinute.reset();
  RunSeconds(10);
  EXPECT_EQ(tray.calls.back(), u"refresh:@9:00");
  EXPECT_EQ(tray.refreshes, 7u);
}

TEST_F(MonitorTest, TheMinuteWorkCopiesTheTooltipFirstAndDrawsAfterTheFetch) {
  window.auctionId = u"b1";
  monitor.state().status = u"before";
  AnswerWith(ItemPage("100 円", "3日"));
  monitor.Start();
  RunUntil(9, 5, 0);
  EXPECT_EQ(tray.calls.back(), u"refresh:before@9:05 yellow");  // the new price's alert
  EXPECT_EQ(status(), u"100 円/残り3日");
  RunSeconds(1);  // the collection emptied lastMinute: the new status reaches the tooltip
  EXPECT_EQ(tray.calls.back(), u"refresh:100 円/残り3日@9:05");
}

TEST_F(MonitorTest, AFetchDueWhileARequestIsOutstandingReportsMaybeError) {
  window.auctionId = u"b1";
  monitor.Start();
  monitor.GoToTray();  // never answered; the timer runs again anyway
  RunUntil(9, 5, 0);
  EXPECT_EQ(transfer.urls.size(), 1u);
  EXPECT_EQ(status(), u"Maybe error");
  EXPECT_FALSE(monitor.state().lastMinute.has_value());
  EXPECT_EQ(monitor.state().nextCheck, At(9, 10));
  monitor.CollectResponse(TransferOutcome::kError, "");
  EXPECT_EQ(status(), u"net error");
  RunUntil(9, 10, 0);
  EXPECT_EQ(transfer.urls.size(), 2u);
}

TEST_F(MonitorTest, CollectingEndsTheRequestAndAppliesWhatThePageSays) {
  struct Case {
    TransferOutcome outcome;
    std::string body;
    std::u16string status;
    bool alert;
    int slider;  // from 5, saved 20
  };
  const Case cases[] = {
      {TransferOutcome::kError, ItemPage("1 円", "1日"), u"net error", false, 5},
      {TransferOutcome::kCompleted, "", u"ロードできていません.", false, 5},
      {TransferOutcome::kCompleted, ItemPage("12,000 円", "45&nbsp;分"), u"12,000 円/残り45分",
       true, 5},
      {TransferOutcome::kCompleted, ItemPage("400 円", "4&nbsp;分"), u"400 円/残り4分", false, 2},
      {TransferOutcome::kCompleted, ItemPage("", "終了"), u"/終了", true, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.status));
    FakeWindow w;
    FakeTray t;
    FakeTransfer x;
    Monitor m{w, x, t, clock};
    m.Start();
    w.auctionId = u"b1";
    m.state().savedInterval = 20;
    m.state().lastPrice = u"400 円";
    m.StartFetch();
    m.state().lastMinute = At(9, 0);
    EXPECT_FALSE(w.timerOn);
    EXPECT_TRUE(m.state().busy);
    m.CollectResponse(c.outcome, c.body);
    EXPECT_EQ(m.state().status, c.status);
    EXPECT_EQ(w.shownStatus, c.status);
    EXPECT_EQ(m.state().alert, c.alert);
    EXPECT_EQ(w.slider, c.slider);
    // A shortened interval counts from the minute of the fetch.
    EXPECT_EQ(m.state().nextCheck, c.slider == 2 ? At(9, 2) : At(9, 5));
    EXPECT_FALSE(m.state().busy);
    EXPECT_TRUE(w.timerOn);
    EXPECT_FALSE(m.state().lastMinute.has_value());
  }
}

TEST_F(MonitorTest, TheStatusIsInPlaceBeforeAnotherFetchCanStart) {
  // The login page runs "Open URL" inside the collection; a fetch started from there must
  // find the request still counted as outstanding.
  FakeTransfer x;
  FakeTray t;
  struct Reentrant : FakeWindow {
    Monitor* monitor = nullptr;
    void OpenUrl() override {
      FakeWindow::OpenUrl();
      monitor->StartFetch();
    }
  } window2;
  Monitor m2{window2, x, t, clock};
  window2.monitor = &m2;
  window2.auctionId = u"b1";
  m2.StartFetch();
  m2.CollectResponse(TransferOutcome::kCompleted,
                     EucJp("IDとパスワードを入力してログインしてください"));
  EXPECT_EQ(x.urls.size(), 1u);
  EXPECT_EQ(window2.openUrlCalls, 1);
  EXPECT_EQ(m2.state().status, u"YAHOO!オークションにログオンしてください．");
  EXPECT_FALSE(m2.state().busy);
}

TEST_F(MonitorTest, ACheckFurtherAheadThanAnyIntervalMeansTheClockWasSetBack) {
  window.auctionId = u"b1";
  window.slider = 30;
  AnswerWith(ItemPage("100 円", "3日"));
  monitor.Start();  // next check 9:30
  RunSeconds(1);
  clock.now -= minutes{1};  // 31 minutes ahead: still waits
  RunSeconds(1);
  EXPECT_TRUE(transfer.urls.empty());
  clock.now -= std::chrono::hours{1};
  RunSeconds(1);
  EXPECT_EQ(transfer.urls.size(), 1u);
  EXPECT_EQ(monitor.state().nextCheck, At(8, 29));
}

// A day across midnight, one tick a second, against a site whose auction ends every evening at
// 21:00, reports "終了" for ten minutes and is then listed again until the next evening.
class SimulatedDay : public MonitorTest {
 protected:
  static constexpr int kSaved = 5;

  std::string PageAt(LocalSeconds now) {
    const LocalSeconds day = std::chrono::floor<std::chrono::days>(now);
    LocalSeconds end = day + std::chrono::hours{21};
    if (now >= end + minutes{10}) end += std::chrono::days{1};
    const auto left = std::chrono::duration_cast<seconds>(end - now).count();
    std::string text;
    if (left <= 0) {
      text = "終了";
    } else if (left >= 3600) {
      text = std::to_string(left / 3600) + "時間";
    } else {
      text = std::to_string(left / 60) + "&nbsp;分" + std::to_string(left % 60) + "秒";
    }
    // The price rises every hour, so the alert comes and goes.
    const auto hours = std::chrono::floor<std::chrono::hours>(now).time_since_epoch().count();
    return ItemPage(std::to_string(hours % 1000) + ",000 円", text);
  }

  static std::u16string TimeOfDay(LocalSeconds t) {
    const std::chrono::hh_mm_ss time{t - std::chrono::floor<std::chrono::days>(t)};
    const std::string text = std::to_string(time.hours().count()) + ":" +
                             std::to_string(100 + time.minutes().count()).substr(1);
    return {text.begin(), text.end()};
  }

  // When the next fetch must come, from the fetch at `at` (the minute of a tick at second 0)
  // with the interval in force then; updates `interval` as the page makes it change.
  static LocalMinute Expected(LocalMinute at, int& interval, const std::u16string& status) {
    LocalMinute next = at + minutes{interval};
    if (status.find(u"/終了") != std::u16string::npos) {
      interval = kSaved;
    } else if (const size_t p = status.find(u"分"); p != std::u16string::npos) {
      const size_t from = status.find(u"/残り") + 3;
      const int left = std::stoi(std::string(status.begin() + static_cast<long>(from),
                                             status.begin() + static_cast<long>(p)));
      if (interval >= left) {
        interval = std::max(1, left / 2);
        next = at + minutes{interval};
      }
    }
    return next;
  }
};

TEST_F(SimulatedDay, EveryFetchComesOnItsMinute) {
  struct Fetch {
    LocalSeconds at;
    std::u16string status;
  };
  std::vector<Fetch> fetches;
  tray.record = false;
  transfer.respond = [&](const std::u16string&) {
    monitor.CollectResponse(TransferOutcome::kCompleted, PageAt(clock.now));
    fetches.push_back({clock.now, monitor.state().status});
  };
  clock.now = MakeLocalTime(2026, 12, 7, 20, 0, 0);
  window.auctionId = u"b1";
  window.slider = kSaved;
  monitor.Start();
  RunSeconds(30);
  monitor.GoToTray();

  // Clock disruptions: a six-hour sleep, and the clock set back an hour.
  const LocalSeconds sleepStart = MakeLocalTime(2026, 12, 8, 1, 0, 0);
  const LocalSeconds wake = MakeLocalTime(2026, 12, 8, 7, 0, 0);
  const LocalSeconds setBackAt = MakeLocalTime(2026, 12, 8, 12, 0, 30);
  const LocalSeconds end = MakeLocalTime(2026, 12, 8, 21, 30, 0);
  bool setBack = false;
  while (clock.now < end) {
    if (clock.now == sleepStart) clock.now = wake;
    if (clock.now == setBackAt && !setBack) {
      clock.now -= std::chrono::hours{1};
      setBack = true;
    }
    RunSeconds(1);
  }

  int interval = kSaved;
  size_t checked = 0;
  for (size_t i = 0; i + 1 < fetches.size(); ++i) {
    const LocalMinute expected = Expected(MinuteOf(fetches[i].at), interval, fetches[i].status);
    const LocalSeconds actual = fetches[i + 1].at;
    SCOPED_TRACE(::testing::Message() << "fetch " << i + 1);
    if (fetches[i].at < sleepStart && actual > sleepStart) {
      EXPECT_EQ(actual, wake + seconds{1});  // a passed check is due on waking
      continue;
    }
    if (actual < fetches[i].at) {  // the clock was set back: the check is due at once
      EXPECT_EQ(actual, setBackAt - std::chrono::hours{1} + seconds{1});
      continue;
    }
    EXPECT_EQ(actual, LocalSeconds{expected});
    ++checked;
  }
  EXPECT_GT(checked, 200u);

  // One evening in full: the interval halves as the end nears and comes back after it.
  std::vector<std::u16string> evening;
  for (const Fetch& f : fetches) {
    if (f.at >= MakeLocalTime(2026, 12, 7, 20, 50) && f.at <= MakeLocalTime(2026, 12, 7, 21, 16))
      evening.push_back(TimeOfDay(f.at) + u" " + f.status.substr(f.status.find(u'/')));
  }
  EXPECT_EQ(evening, (std::vector<std::u16string>{u"20:50 /残り10分0秒", u"20:55 /残り5分0秒",
                                                  u"20:57 /残り3分0秒", u"20:59 /残り1分0秒",
                                                  u"21:00 /終了", u"21:01 /終了", u"21:06 /終了",
                                                  u"21:11 /残り23時間", u"21:16 /残り23時間"}));
  EXPECT_EQ(window.slider, kSaved);
}

}  // namespace
}  // namespace lotwarden
