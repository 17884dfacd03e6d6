// SPDX-License-Identifier: MIT
#include <QApplication>

#include "window/program.h"
#include "window/system_clock.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Matches the window to its desktop entry (and icon) where the window system asks by id.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.lotwarden.lotwarden"));
  // The window is a tool window and may be hidden in the tray; only its close box or the
  // "End" command ends the program.
  QApplication::setQuitOnLastWindowClosed(false);
  lotwarden::SystemClock clock;
  lotwarden::Program program(clock);
  program.window().show();  // runs the load first
  return QApplication::exec();
}
