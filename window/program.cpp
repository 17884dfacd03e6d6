#include "window/program.h"

#include <chrono>
#include <string>
#include <utility>

namespace lotwarden {

using namespace std::chrono_literals;

Program::Program(const Clock& clock)
    : transfer_(
          [this](std::int16_t state, std::string body) { window_.TransferReported(state, body); },
          60s, 5min, 16 * 1024 * 1024),
      monitor_(window_, transfer_, tray_, clock) {
  window_.AttachMonitor(&monitor_);
}

Program::~Program() {
  window_.AttachMonitor(nullptr);
}

}  // namespace lotwarden
