// SPDX-License-Identifier: MIT
#include "monitor/interval.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace lotwarden {
namespace {

TEST(AdaptIntervalTest, HalvesTheIntervalWhenTheMinutesLeftAreAtMostIt) {
  const LocalMinute fetch = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 58));
  const struct {
    std::u16string piece;
    int interval;
    std::optional<int> halved;  // empty: nothing changes
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
      // The interval stays in the slider's range: a halved 0 or less gives 1.
      {u"/残り1分", 1, 1},
      {u"/残り-3分", 5, 1},
      {u"/残り-32768分", 5, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.piece));
    const std::optional<IntervalChange> change = AdaptInterval(c.piece, c.interval, fetch);
    ASSERT_EQ(change.has_value(), c.halved.has_value());
    // The next fetch counts from the minute of the fetch, across midnight too.
    if (change) {
      EXPECT_EQ(*change, (IntervalChange{*c.halved, fetch + std::chrono::minutes{*c.halved}}));
    }
  }
  const LocalMinute late = MinuteOf(MakeLocalTime(2024, 5, 1, 23, 58));
  EXPECT_EQ(AdaptInterval(u"/残り9分", 10, late)->nextCheck,
            MinuteOf(MakeLocalTime(2024, 5, 2, 0, 2)));
}

}  // namespace
}  // namespace lotwarden
