// SPDX-License-Identifier: MIT
#include "window/system_clock.h"

#include <QDateTime>

namespace lotwarden {

LocalSeconds SystemClock::Now() const {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  return MakeLocalTime(date.year(), static_cast<unsigned>(date.month()),
                       static_cast<unsigned>(date.day()), time.hour(), time.minute(),
                       time.second());
}

}  // namespace lotwarden
