// SPDX-License-Identifier: MIT
// Arbitrary bytes through the page path as a fetch takes them: decoded, read for a choice of
// status fields, the time piece through the interval adaptation. A second run must agree, and
// no reading may hold more than the bound of a field (the status: three, "/残り" and "/").

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
  // The field choice and the interval from the size: inserting or erasing bytes reaches each.
  const StatusFields fields{size % 2 != 0, size / 2 % 2 != 0, size / 4 % 2 != 0};
  const int interval = ClampInterval(static_cast<int>(size % 31));
  const LocalMinute fetchMinute = MinuteOf(MakeLocalTime(2024, 12, 31, 23, 50));
  const auto run = [&] {
    PageReading reading = AnalyzePage(DecodeEucJp(bytes), fields);
    const std::optional<IntervalChange> change =
        reading.timePiece ? AdaptInterval(*reading.timePiece, interval, fetchMinute) : std::nullopt;
    return std::pair{std::move(reading), change};
  };
  const auto first = run();
  const auto& [reading, change] = first;
  if (run() != first ||
      (reading.price && (!fields.price || reading.price->size() > kKeptFieldLength)) ||
      reading.status.size() > 3 * kKeptFieldLength + 4 ||
      (change && (change->interval < kMinInterval || change->interval > interval))) {
    std::abort();
  }
  return 0;
}
