// SPDX-License-Identifier: MIT
// A tray icon on a real notification area, driven line by line from standard input for
// tests/tray_xembed_test.sh. It runs the tick's minute work once a second when due (the
// minute changed, or an alert stands), and the real mouse actions of the tray icon.
//
// Input:  "minute H:MM", "status TEXT", "alert", "quit".
// Output: "docked X Y W H available 0|1 raster N", "face grey|yellow" after each refresh,
//         "mouse N" for each message (both with the probe's clock in ms), "menu open", "menu
//         closed", "nodock".
#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <iostream>
#include <string>

#include "tests/fake_window.h"
#include "tray/qt/qt_clock_surface.h"
#include "tray/qt/qt_tray_menu_host.h"
#include "tray/qt/qt_tray_presence.h"
#include "tray/qt/tray_mouse_router.h"
#include "tray/tray_mouse.h"

namespace lotwarden {
namespace {

void Say(const std::string& line) {
  std::cout << line << std::endl;
}

// The window's controls as fields, with a real one-second timer.
class ProbeWindow : public testing::FakeWindow {
 public:
  QTimer timer;
  void SetTimerEnabled(bool on) override {
    FakeWindow::SetTimerEnabled(on);
    on ? timer.start(1000) : timer.stop();
  }
};

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  using namespace lotwarden;
  QApplication app(argc, argv);
  QElapsedTimer clock;
  clock.start();
  MonitorState state;
  ProbeWindow window;
  QWidget mainWindow;
  QMenu menu;
  menu.addAction(QStringLiteral("Config."));
  QObject::connect(&menu, &QMenu::aboutToShow, [] { Say("menu open"); });
  QObject::connect(&menu, &QMenu::aboutToHide, [] { Say("menu closed"); });

  QtTrayPresence tray(state, 1, ClockFaceWindowIcon());
  QtTrayMenuHost host(&mainWindow, &menu, [&] { mainWindow.show(); });
  TrayMouseRouter router(tray.trayIcon(), [&](int message) {
    Say("mouse " + std::to_string(message) + " " + std::to_string(clock.elapsed()));
    OnTrayMouse(message, state, window, host);
  });
  router.WatchMenu(&menu);

  std::u16string minute = u"0:00";
  QObject::connect(&window.timer, &QTimer::timeout, [&] {
    if (state.lastMinute.has_value() && !state.alert) return;
    state.lastMinute = LocalMinute{};
    tray.CopyTooltip(window.status);
    tray.DrawClockFace(minute);
    tray.RefreshTrayIcon();
    Say(std::string(state.faceColour == kFaceYellow ? "face yellow " : "face grey ") +
        std::to_string(clock.elapsed()));
  });

  tray.AddTrayIcon(u"");
  window.SetTimerEnabled(true);

  // Report the icon's place once the notification area has taken it in.
  QTimer dock;
  int polls = 0;
  QObject::connect(&dock, &QTimer::timeout, [&] {
    const QRect r = tray.trayIcon()->geometry();
    if (!r.isEmpty()) {
      dock.stop();
      Say("docked " + std::to_string(r.x()) + " " + std::to_string(r.y()) + " " +
          std::to_string(r.width()) + " " + std::to_string(r.height()) + " available " +
          std::to_string(QtTrayPresence::Available() ? 1 : 0) + " raster " +
          std::to_string(tray.raster().width()));
    } else if (++polls > 100) {
      Say("nodock");
      QCoreApplication::exit(1);
    }
  });
  dock.start(100);

  QSocketNotifier input(0, QSocketNotifier::Read);
  std::string pending;
  auto run = [&](const std::string& line) {
    const auto space = line.find(' ');
    const std::string command = line.substr(0, space);
    const QString argument =
        space == std::string::npos ? QString() : QString::fromStdString(line.substr(space + 1));
    if (command == "quit") {
      tray.RemoveTrayIcon();
      QCoreApplication::quit();
    } else if (command == "minute") {
      minute = argument.toStdU16String();
      state.lastMinute.reset();
    } else if (command == "status") {
      window.status = argument.toStdU16String();
      state.lastMinute.reset();
    } else if (command == "alert") {
      state.alert = true;
    }
  };
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char buffer[512];
    const ssize_t got = ::read(0, buffer, sizeof buffer);
    if (got <= 0) {
      input.setEnabled(false);
      run("quit");
      return;
    }
    pending.append(buffer, static_cast<size_t>(got));
    for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      run(line);
    }
  });
  return QApplication::exec();
}
