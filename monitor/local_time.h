// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace lotwarden {

// Local wall-clock time as a value: a date and a time of day, to the second. The
// program never asks the system for time itself; a clock hands it in.
using LocalSeconds = std::chrono::local_seconds;
using LocalMinute = std::chrono::local_time<std::chrono::minutes>;

inline LocalMinute MinuteOf(LocalSeconds time) {
  return std::chrono::floor<std::chrono::minutes>(time);
}

// Builds a local time from its parts (for tests and the clock adapters).
LocalSeconds MakeLocalTime(int year, unsigned month, unsigned day, int hour, int minute,
                           int second = 0);

}  // namespace lotwarden
