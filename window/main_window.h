// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "monitor/transfer.h"
#include "monitor/window_controls.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;

namespace lotwarden {

class AlertNotice;
class Monitor;

// Converts twips (1/1440 inch) to device-independent pixels: 15 twips are one pixel at 96 dpi,
// and Qt scales device-independent pixels to the screen.
constexpr int TwipsToDip(int twips) {
  return (twips * 2 + 15) / 30;
}

// Opens a URL with the user's default handler (the web browser), without waiting for it;
// a failure is silent.
void OpenInBrowser(const std::u16string& url);

// The program's one window, "clock": the auction ID, the interval slider, the three status
// check boxes and "TaskTray", plus the one-second timer and the popup menu with its commands.
// Its events go to the monitor once one is attached. The widgets carry the window's historic
// names as their object names ("A_ID", "Slider1", "Check1", ...).
//
// Where the desktop has no notification area the window carries it all (window mode): it is an
// ordinary application window, wider, with the status line "Label2" shown along its foot, and a
// desktop notification carries the alert. The popup menu opens from the window in both modes:
// a right click, the Menu key or Shift+F10.
class MainWindow : public QWidget, public WindowControls {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The monitor that handles the window's events; null detaches it.
  void AttachMonitor(Monitor* monitor) { monitor_ = monitor; }
  // Where the alert goes when no icon can blink.
  void SetAlertNotice(AlertNotice* notice) { notice_ = notice; }
  // The window's load: the mode, and the monitor's start steps, run once before the window is
  // first shown.
  void Load();
  // The transfer's outcome, handed on to the monitor.
  void TransferReported(TransferOutcome outcome, std::string_view body);

  // The notification area: whether the desktop has one now, and how to take the icon out
  // of it. Without one the window never hides and shows the status in its title.
  void SetTray(std::function<bool()> available, std::function<void()> remove);
  // The notification area came or went: a window that "TaskTray" sent there hides once an area
  // exists, and shows again while none does, so that the program is always in reach.
  void NotificationAreaChanged(bool present);
  // Puts the window in tray or window mode as the notification area is now (TrayAvailable):
  // its kind, size and status line, and whether the notification carries the alert. Run at the
  // load and whenever the area comes or goes.
  void ApplyTrayMode();

  // The popup menu that the tray icon opens, and its commands.
  QMenu* popupMenu() const { return menu_; }
  void OpenWatchList();
  void GetIDfromClipBoard();
  void Config();
  void End();

  // The most of the status line that the title carries; a page can make the line megabytes
  // long, more than a window title can travel to the display server.
  static constexpr int kTitleStatusLength = 256;
  // The client area in window mode, in twips: wide enough for the title bar to show the name
  // in full beside GNOME's buttons (Qt's own on Wayland, mutter's on X11), one row higher for
  // the status line.
  static constexpr int kWideWidth = 3600;
  static constexpr int kWideHeight = 1860;

  // WindowControls
  std::u16string AuctionId() const override;
  StatusFields ChosenFields() const override;
  int Interval() const override;
  void SetInterval(int minutes) override;
  void ShowStatus(const std::u16string& status) override;
  void SetTimerEnabled(bool on) override;
  void OpenUrl() override;

 protected:
  void setVisible(bool visible) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void GoToTray();
  void Tick();
  void IdChanged();
  bool TrayAvailable() const { return trayAvailable_ && trayAvailable_(); }

  Monitor* monitor_ = nullptr;
  AlertNotice* notice_ = nullptr;
  bool loaded_ = false;
  // "TaskTray" asked for the notification area, and "Config." has not asked for the window since.
  bool trayWanted_ = false;
  std::function<bool()> trayAvailable_;
  std::function<void()> removeTrayIcon_;

  std::array<QLabel*, 6> captions_{};
  QLineEdit* idEdit_ = nullptr;
  QSlider* intervalSlider_ = nullptr;
  QLabel* intervalText_ = nullptr;
  // Current bid, time left, title.
  std::array<QCheckBox*, 3> fieldBoxes_{};
  QPushButton* trayButton_ = nullptr;
  // The status line, shown in window mode.
  QLabel* statusLine_ = nullptr;
  QTimer* timer_ = nullptr;
  QMenu* menu_ = nullptr;
};

}  // namespace lotwarden
