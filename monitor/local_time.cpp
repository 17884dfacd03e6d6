// SPDX-License-Identifier: MIT
#include "monitor/local_time.h"

namespace lotwarden {

LocalSeconds MakeLocalTime(int year, unsigned month, unsigned day, int hour, int minute,
                           int second) {
  const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                                         std::chrono::day{day}};
  return LocalSeconds{std::chrono::local_days{date}.time_since_epoch()} + std::chrono::hours{hour} +
         std::chrono::minutes{minute} + std::chrono::seconds{second};
}

}  // namespace lotwarden
