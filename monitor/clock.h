// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/local_time.h"

namespace lotwarden {

// Where "now" comes from: the system's local time in the program, a hand-set one in tests.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalSeconds Now() const = 0;
};

}  // namespace lotwarden
