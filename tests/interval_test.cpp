#include "monitor/interval.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/fake_window.h"

namespace lotwarden {
namespace {

using std::chrono::minutes;
using testing::FakeWindow;

const LocalMinute kFetchMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 58));
const LocalMinute kEarlierSchedule = MinuteOf(MakeLocalTime(2024, 5, 1, 10, 3));
// A moment after the fetch started: the schedule must not count from here.
const LocalSeconds kNow = MakeLocalTime(2024, 5, 1, 10, 1, 17);

struct Case {
  std::u16string piece;
  int sliderBefore;
  std::optional<int> newInterval;  // empty: nothing changes
};

TEST(AdaptIntervalTest, HalvesTheIntervalWhenTheMinutesLeftAreAtMostIt) {
  const Case cases[] = {
      // The worked figures: 45 left changes nothing, 10 gives 5, 7 gives 3.
      {u"/残り45分", 10, std::nullopt},
      {u"/残り10分", 10, 5},
      {u"/残り7分", 10, 3},
      {u"/残り9分", 30, 4},
      // Equality counts.
      {u"/残り5分", 5, 2},
      {u"/残り6分", 5, std::nullopt},
      // Blanks around the number; seconds after the minutes.
      {u"/残り 5 分", 5, 2},
      {u"/残り\t5\r\n分", 5, 2},
      {u"/残り3分30秒", 5, 1},
      {u"/残り+4分", 5, 2},
      // Days, hours and the end carry no minutes.
      {u"/残り3日", 30, std::nullopt},
      {u"/残り5時間", 30, std::nullopt},
      {u"/終了", 30, std::nullopt},
      // Not a whole number.
      {u"/残り1日2時間3分", 30, std::nullopt},
      {u"/残り分", 30, std::nullopt},
      {u"/残り 分", 30, std::nullopt},
      {u"/残り-分", 30, std::nullopt},
      {u"/残り5 6分", 30, std::nullopt},
      {u"/残り4.5分", 30, std::nullopt},
      {u"/残り５分", 30, std::nullopt},
      {u"/残り約5分", 30, std::nullopt},
      // Outside the 16-bit range.
      {u"/残り-32769分", 30, std::nullopt},
      {u"/残り99999999999999999999分", 30, std::nullopt},
      // The slider never leaves its range: a halved 0 or less stays at 1.
      {u"/残り1分", 1, 1},
      {u"/残り0分", 5, 1},
      {u"/残り-3分", 5, 1},
      {u"/残り-32768分", 5, 1},
      {u"/残り2分", 1, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.piece));
    FakeWindow window;
    window.slider = c.sliderBefore;
    MonitorState state;
    state.lastMinute = kFetchMinute;
    state.nextCheck = kEarlierSchedule;

    AdaptInterval(c.piece, state, window, kNow);

    const int expectedSlider = c.newInterval.value_or(c.sliderBefore);
    EXPECT_EQ(window.slider, expectedSlider);
    EXPECT_EQ(state.nextCheck,
              c.newInterval ? kFetchMinute + minutes{*c.newInterval} : kEarlierSchedule);
    for (const int request : window.sliderRequests) {
      EXPECT_TRUE(request >= kMinInterval && request <= kMaxInterval) << request;
    }
    EXPECT_EQ(state.lastMinute, kFetchMinute);
  }
}

TEST(AdaptIntervalTest, ReschedulesFromTheMinuteOfTheFetch) {
  const struct {
    LocalSeconds fetch;
    std::u16string piece;
    int sliderBefore;
    LocalSeconds expected;
    std::u16string expectedText;
  } cases[] = {
      {MakeLocalTime(2024, 5, 1, 9, 58), u"/残り8分", 10, MakeLocalTime(2024, 5, 1, 10, 2),
       u"10:02"},
      // Past midnight the schedule keeps its date.
      {MakeLocalTime(2024, 5, 1, 23, 58), u"/残り9分", 10, MakeLocalTime(2024, 5, 2, 0, 2),
       u"0:02"},
      {MakeLocalTime(2024, 12, 31, 23, 59), u"/残り1分", 5, MakeLocalTime(2025, 1, 1, 0, 0),
       u"0:00"},
  };
  for (const auto& c : cases) {
    FakeWindow window;
    window.slider = c.sliderBefore;
    MonitorState state;
    state.lastMinute = MinuteOf(c.fetch);
    AdaptInterval(c.piece, state, window, c.fetch + minutes{3});
    EXPECT_EQ(state.nextCheck, MinuteOf(c.expected));
    EXPECT_EQ(state.NextCheckText(), c.expectedText);
  }
}

TEST(AdaptIntervalTest, WithoutALastMinuteCountsFromTheCurrentMinute) {
  FakeWindow window;
  window.slider = 10;
  MonitorState state;
  AdaptInterval(u"/残り5分", state, window, MakeLocalTime(2024, 5, 1, 23, 59, 45));
  EXPECT_EQ(window.slider, 2);
  EXPECT_EQ(state.nextCheck, MinuteOf(MakeLocalTime(2024, 5, 2, 0, 1)));
  EXPECT_FALSE(state.lastMinute.has_value());
}

}  // namespace
}  // namespace lotwarden
