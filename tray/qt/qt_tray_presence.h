// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "monitor/monitor_state.h"
#include "monitor/tray_presence.h"
#include "tray/qt/qt_clock_surface.h"

class QSystemTrayIcon;

namespace lotwarden {

// The notification-area icon over QSystemTrayIcon: the clock face as its picture and the
// tray record's tooltip as its tooltip. The icon and the tooltip go to the tray only when
// they changed, since on D-Bus hosts every change travels to the desktop.
class QtTrayPresence : public QObject, public TrayPresence {
  Q_OBJECT

 public:
  // Handle kept in the record while the window's own icon shows.
  static constexpr std::uint32_t kWindowIconHandle = 1;
  // Icon size used while the tray has not said what it shows.
  static constexpr int kDefaultIconSize = QtClockSurface::kReferencePixels;

  // state: the window's record (faceColour, alert, trayRecord); windowId: the window's
  // id for the record; windowIcon: shown until the first refresh.
  QtTrayPresence(MonitorState& state, std::uint32_t windowId, QIcon windowIcon,
                 QObject* parent = nullptr);
  ~QtTrayPresence() override;

  // Whether the desktop has a notification area; without one the window must stay reachable.
  static bool Available();

  void AddTrayIcon(const std::u16string& tooltip) override;
  void CopyTooltip(const std::u16string& status) override;
  void DrawClockFace(const std::u16string& minuteText) override;
  void RefreshTrayIcon() override;
  // Takes the icon out of the notification area.
  void RemoveTrayIcon();

  // Pins the icon's logical size and device pixel ratio instead of following the tray and
  // the screen; 0 follows them again.
  void SetIconScale(int logicalSize, qreal devicePixelRatio);

  QSystemTrayIcon* trayIcon() const { return tray_; }
  // The face as last drawn, before masking.
  const QImage& raster() const { return surface_.image(); }

 private:
  int IconLogicalSize() const;
  qreal DevicePixelRatio() const;
  void SendTooltip();

  MonitorState& state_;
  std::uint32_t windowId_;
  QIcon windowIcon_;
  QSystemTrayIcon* tray_;
  QtClockSurface surface_;
  qreal drawnRatio_ = 1.0;
  int pinnedSize_ = 0;
  qreal pinnedRatio_ = 0;
  // What the tray was last given, to send only changes.
  QImage sentImage_;
  std::optional<QString> sentTooltip_;
  std::uint32_t nextHandle_ = kWindowIconHandle + 1;
};

}  // namespace lotwarden
