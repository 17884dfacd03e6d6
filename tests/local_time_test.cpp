// SPDX-License-Identifier: MIT
#include "monitor/local_time.h"

#include <gtest/gtest.h>

namespace lotwarden {
namespace {

TEST(LocalTime, TextsHaveNoLeadingZeroHourAndTwoDigitMinutes) {
  struct Case {
    int hour, minute, second;
    std::u16string hourMinute, timeOfDay;
  };
  const Case cases[] = {
      {9, 5, 33, u"9:05", u"9:05:33"},   {21, 5, 33, u"21:05", u"21:05:33"},
      {0, 3, 0, u"0:03", u"0:03:00"},    {0, 0, 0, u"0:00", u"0:00:00"},
      {23, 59, 59, u"23:59", u"23:59:59"}, {10, 0, 9, u"10:00", u"10:00:09"},
  };
  for (const Case& c : cases) {
    const LocalSeconds t = MakeLocalTime(2026, 12, 6, c.hour, c.minute, c.second);
    EXPECT_EQ(HourMinute(t), c.hourMinute);
    EXPECT_EQ(TimeOfDayText(t), c.timeOfDay);
  }
}

TEST(LocalTime, MinutesCarryOverMidnightWithTheirDate) {
  const LocalSeconds late = MakeLocalTime(2026, 12, 31, 23, 58, 40);
  const LocalMinute next = MinuteOf(late) + std::chrono::minutes{5};
  EXPECT_EQ(HourMinute(next), u"0:03");
  EXPECT_EQ(next, MinuteOf(MakeLocalTime(2027, 1, 1, 0, 3)));
  EXPECT_GT(next, MinuteOf(late));
}

}  // namespace
}  // namespace lotwarden
