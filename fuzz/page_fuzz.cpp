// SPDX-License-Identifier: MIT
// Arbitrary bytes through the page path as a fetch takes them: decoded, read for every choice
// of status fields, the time piece through the interval adaptation. A second run must agree,
// and no reading may hold more of its fields than the bound allows.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

#include "monitor/euc_jp.h"
#include "monitor/interval.h"
#include "monitor/page_analysis.h"

using namespace lotwarden;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const int interval = ClampInterval(static_cast<int>(size % 31));
  const LocalMinute fetchMinute = MinuteOf(MakeLocalTime(2024, 12, 31, 23, 50));
  for (int checks = 0; checks < 8; ++checks) {
    const StatusFields fields{(checks & 1) != 0, (checks & 2) != 0, (checks & 4) != 0};
    const auto run = [&] {
      PageReading reading = AnalyzePage(DecodeEucJp(bytes), fields);
      std::optional<IntervalChange> change;
      if (reading.timePiece) change = AdaptInterval(*reading.timePiece, interval, fetchMinute);
      return std::pair{std::move(reading), change};
    };
    const auto first = run();
    const auto& [reading, change] = first;
    // Three fields at most, with "/残り" and "/" between them.
    if (run() != first || (reading.price && !fields.price) ||
        reading.status.size() > 3 * kKeptFieldLength + 4 ||
        (change && (change->interval < kMinInterval || change->interval > interval))) {
      std::abort();
    }
  }
  return 0;
}
