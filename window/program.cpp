// SPDX-License-Identifier: MIT
#include "window/program.h"

#include <chrono>
#include <string>
#include <utility>

#include "tray/tray_mouse.h"

namespace lotwarden {

using namespace std::chrono_literals;

Program::Program(const Clock& clock)
    : transfer_(
          [this](std::int16_t state, std::string body) { window_.TransferReported(state, body); },
          60s, 5min, 16 * 1024 * 1024),
      monitor_(window_, transfer_, tray_, clock),
      tray_(monitor_.state(), static_cast<std::uint32_t>(window_.winId()), window_.windowIcon()),
      menuHost_(&window_, window_.popupMenu(), [this] { window_.Config(); }),
      mouse_(tray_.trayIcon(), [this](int message) { OnTrayMouse(message); }) {
  mouse_.WatchMenu(window_.popupMenu());
  window_.SetTray(&QtTrayPresence::Available, [this] { tray_.RemoveTrayIcon(); });
  window_.AttachMonitor(&monitor_);
}

Program::~Program() {
  window_.AttachMonitor(nullptr);
}

void Program::OnTrayMouse(int message) {
  lotwarden::OnTrayMouse(message, monitor_.state(), window_, menuHost_);
}

}  // namespace lotwarden
