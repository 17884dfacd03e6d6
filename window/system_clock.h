// SPDX-License-Identifier: MIT
#pragma once

#include "monitor/clock.h"

namespace lotwarden {

// The system's local date and time, to the second.
class SystemClock : public Clock {
 public:
  LocalSeconds Now() const override;
};

}  // namespace lotwarden
