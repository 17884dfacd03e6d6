// SPDX-License-Identifier: MIT
#include "monitor/local_time.h"

namespace lotwarden {
namespace {

void AppendNumber(std::u16string& out, long value, bool twoDigits) {
  if (twoDigits && value < 10) out.push_back(u'0');
  if (value >= 10) out.push_back(static_cast<char16_t>(u'0' + value / 10));
  out.push_back(static_cast<char16_t>(u'0' + value % 10));
}

}  // namespace

std::u16string TimeOfDayText(LocalSeconds time) {
  const std::chrono::hh_mm_ss clock{time - std::chrono::floor<std::chrono::days>(time)};
  std::u16string text = HourMinute(time);
  text.push_back(u':');
  AppendNumber(text, static_cast<long>(clock.seconds().count()), true);
  return text;
}

std::u16string HourMinute(LocalSeconds time) {
  const std::chrono::hh_mm_ss clock{time - std::chrono::floor<std::chrono::days>(time)};
  std::u16string text;
  AppendNumber(text, static_cast<long>(clock.hours().count()), false);
  text.push_back(u':');
  AppendNumber(text, static_cast<long>(clock.minutes().count()), true);
  return text;
}

LocalSeconds MakeLocalTime(int year, unsigned month, unsigned day, int hour, int minute,
                           int second) {
  const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                                         std::chrono::day{day}};
  return LocalSeconds{std::chrono::local_days{date}.time_since_epoch()} +
         std::chrono::hours{hour} + std::chrono::minutes{minute} + std::chrono::seconds{second};
}

}  // namespace lotwarden
