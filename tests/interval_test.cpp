// SPDX-License-Identifier: MIT
#include "monitor/interval.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/fake_window.h"

namespace lotwarden {
namespace {

using std::chrono::minutes;

const LocalMinute kFetchMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 58));
const LocalMinute kEarlierSchedule = MinuteOf(MakeLocalTime(2024, 5, 1, 10, 3));

TEST(AdaptIntervalTest, HalvesTheIntervalWhenTheMinutesLeftAreAtMostIt) {
  const struct {
    std::u16string piece;
    int sliderBefore;
    std::optional<int> newInterval;  // empty: nothing changes
  } cases[] = {
      {u"/残り45分", 10, std::nullopt},
      {u"/残り7分", 10, 3},
      {u"/残り5分", 5, 2},  // equality counts
      {u"/残り6分", 5, std::nullopt},
      {u"/残り \t5 \r\n分", 5, 2},
      {u"/残り3分30秒", 5, 1},
      {u"/残り+4分", 5, 2},
      {u"/残り3日", 30, std::nullopt},
      {u"/残り5時間", 30, std::nullopt},
      {u"/終了", 30, std::nullopt},
      {u"/残り 分", 30, std::nullopt},
      {u"/残り-分", 30, std::nullopt},
      {u"/残り5 6分", 30, std::nullopt},
      {u"/残り５分", 30, std::nullopt},
      {u"/残り-32769分", 30, std::nullopt},
      {u"/残り99999999999999999999分", 30, std::nullopt},
      // The slider stays in its range: a halved 0 or less gives 1.
      {u"/残り1分", 1, 1},
      {u"/残り-3分", 5, 1},
      {u"/残り-32768分", 5, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.piece));
    testing::FakeWindow window;
    window.slider = c.sliderBefore;
    MonitorState state;
    state.lastMinute = kFetchMinute;
    state.nextCheck = kEarlierSchedule;
    // A moment after the fetch started: the schedule must not count from here.
    AdaptInterval(c.piece, state, window, MakeLocalTime(2024, 5, 1, 10, 1, 17));
    EXPECT_EQ(window.sliderRequests,
              c.newInterval ? std::vector<int>{*c.newInterval} : std::vector<int>{});
    EXPECT_EQ(window.slider, c.newInterval.value_or(c.sliderBefore));
    EXPECT_EQ(state.nextCheck,
              c.newInterval ? kFetchMinute + minutes{*c.newInterval} : kEarlierSchedule);
  }
}

TEST(AdaptIntervalTest, ReschedulesFromTheMinuteOfTheFetch) {
  const struct {
    std::optional<LocalSeconds> fetch;  // empty: no lastMinute, the current minute counts
    LocalSeconds now, expected;
  } cases[] = {
      {MakeLocalTime(2024, 5, 1, 9, 58), MakeLocalTime(2024, 5, 1, 10, 1),
       MakeLocalTime(2024, 5, 1, 10, 2)},
      {MakeLocalTime(2024, 5, 1, 23, 58), MakeLocalTime(2024, 5, 2, 0, 1),
       MakeLocalTime(2024, 5, 2, 0, 2)},
      {std::nullopt, MakeLocalTime(2024, 5, 1, 23, 58, 45), MakeLocalTime(2024, 5, 2, 0, 2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(HourMinute(MinuteOf(c.now))));
    testing::FakeWindow window;
    window.slider = 10;
    MonitorState state;
    if (c.fetch) state.lastMinute = MinuteOf(*c.fetch);
    AdaptInterval(u"/残り9分", state, window, c.now);
    EXPECT_EQ(window.slider, 4);
    EXPECT_EQ(state.nextCheck, MinuteOf(c.expected));
    EXPECT_EQ(state.lastMinute.has_value(), c.fetch.has_value());
  }
}

}  // namespace
}  // namespace lotwarden
