#pragma once

#include "monitor/monitor.h"
#include "monitor/qt/qt_transfer.h"
#include "window/main_window.h"
#include "window/tray_placeholder.h"

namespace lotwarden {

// The program's objects wired together: the window, the HTTP transfer, the tray and the
// monitor that handles their events. The clock is the caller's, so tests can set the time.
class Program {
 public:
  explicit Program(const Clock& clock);
  ~Program();

  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  MainWindow& window() { return window_; }
  Monitor& monitor() { return monitor_; }

 private:
  MainWindow window_;
  TrayPlaceholder tray_;
  QtTransfer transfer_;
  Monitor monitor_;
};

}  // namespace lotwarden
