// SPDX-License-Identifier: MIT
#include <malloc.h>

#include <QApplication>

#include "window/program.h"
#include "window/system_clock.h"

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // glibc's own starting threshold, held: otherwise one big page's buffers, once freed, raise it
  // to their size (and the trim threshold to twice that), so that later big buffers come from
  // heaps that keep up to 64 MiB freed for the rest of the program's life.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
  QApplication app(argc, argv);
  // Matches the window to its desktop entry (and icon) where the window system asks by id.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(lotwarden::kDesktopEntry));
  // The window may be hidden in the tray; only its close box or the "End" command ends the
  // program.
  QApplication::setQuitOnLastWindowClosed(false);
  lotwarden::SystemClock clock;
  lotwarden::Program program(clock);
  program.window().show();  // runs the load first
  return QApplication::exec();
}
