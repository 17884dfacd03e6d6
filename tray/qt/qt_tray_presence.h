// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "monitor/tray_presence.h"
#include "tray/qt/qt_clock_surface.h"
#include "tray/tray_record.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace lotwarden {

// The notification-area icon over QSystemTrayIcon: the clock face as its picture and the
// status line, cut as the tray record cuts it, as its tooltip. The icon and the tooltip go to
// the tray only when they changed, since on D-Bus hosts every change travels to the desktop.
class QtTrayPresence : public QObject, public TrayPresence {
  Q_OBJECT

 public:
  // Icon size used while the tray has not said what it shows.
  static constexpr int kDefaultIconSize = QtClockSurface::kReferencePixels;

  // windowIcon: shown until the first refresh.
  explicit QtTrayPresence(QIcon windowIcon, QObject* parent = nullptr);
  ~QtTrayPresence() override;

  // Whether the desktop has a notification area; without one the window must stay reachable.
  static bool Available();

  void AddTrayIcon(const std::u16string& tooltip) override;
  void RefreshTrayIcon(const std::u16string& tooltip, const FaceReading& face) override;
  // Takes the icon out of the notification area.
  void RemoveTrayIcon();

  // Hands these entries to a notification area that shows the icon's menu itself (a
  // StatusNotifierItem host, which Qt serves over dbusmenu) and returns the menu that Qt
  // exports; null where the program opens its own menu (XEmbed), which is then left as it is.
  QMenu* ExportMenu(const QList<QAction*>& entries);

  // Pins the icon's logical size and device pixel ratio instead of following the tray and
  // the screen; 0 follows them again.
  void SetIconScale(int logicalSize, qreal devicePixelRatio);

  QSystemTrayIcon* trayIcon() const { return tray_; }
  const TrayIconRecord& record() const { return record_; }
  // The face as last drawn, before masking.
  const QImage& raster() const { return surface_.image(); }

 private:
  int IconLogicalSize() const;
  qreal DevicePixelRatio() const;
  void SendTooltip();

  TrayIconRecord record_;
  QIcon windowIcon_;
  // Goes before the icon that exports it.
  std::unique_ptr<QMenu> exportedMenu_;
  QSystemTrayIcon* tray_;
  QtClockSurface surface_;
  int pinnedSize_ = 0;
  qreal pinnedRatio_ = 0;
  // What the tray was last given, to send only changes.
  QImage sentImage_;
  std::optional<QString> sentTooltip_;
};

}  // namespace lotwarden
