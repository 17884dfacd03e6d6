// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <utility>

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
// Hosts that draw the menu themselves also get the tooltip's text as the menu's first, inert
// line: GNOME's AppIndicator host never shows a tooltip, and opens that menu on a click.
// Qt chooses between a D-Bus and an XEmbed icon once, when the icon is made, so the icon is made
// only when asked (see CreateIcon); until then the face and the tooltip are kept for it.
class QtTrayPresence : public QObject, public TrayPresence {
  Q_OBJECT

 public:
  // windowIcon: shown until the first refresh.
  explicit QtTrayPresence(QIcon windowIcon, QObject* parent = nullptr);
  ~QtTrayPresence() override;

  // Makes the icon, once, with the face and the tooltip given so far.
  QSystemTrayIcon* CreateIcon();
  // Whether the icon is Qt's XEmbed one, which docks into an X11 tray by itself.
  bool UsesXEmbed() const { return tray_ != nullptr && exportedMenu_ == nullptr; }

  void AddTrayIcon(const std::u16string& tooltip) override;
  void RefreshTrayIcon(const std::u16string& tooltip, const FaceReading& face) override;
  // Takes the icon out of the notification area.
  void RemoveTrayIcon();
  // Sends no new face for `ms` milliseconds, then the face of that moment: GNOME Shell's host
  // may never show an icon whose face changes while it registers it.
  void HoldFaceFor(int ms);

  // Hands the status line and these entries to a notification area that shows the icon's menu
  // itself (a StatusNotifierItem host, which Qt serves over dbusmenu) and returns the menu that
  // Qt exports; null where the program opens its own menu (XEmbed), which is then left as it is.
  QMenu* ExportMenu(const QList<QAction*>& entries);

  // Null until CreateIcon.
  QSystemTrayIcon* trayIcon() const { return tray_; }
  const TrayIconRecord& record() const { return record_; }

 private:
  void SendFace();
  void SendTooltip();

  TrayIconRecord record_;
  QIcon windowIcon_;
  // Goes before the icon that exports it.
  std::unique_ptr<QMenu> exportedMenu_;
  QAction* statusEntry_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  bool shown_ = false;
  QTimer faceHold_;
  // The face to show; none before the first refresh.
  std::optional<FaceReading> face_;
  // What the tray was last given, to send only changes.
  std::optional<std::pair<FaceReading, qreal>> sentFace_;
  std::optional<QString> sentTooltip_;
};

// What a D-Bus host is sent, in device pixels: the sizes that hosts show by default, GNOME's 16
// and everyone else's 22, at the screen's scale.
QList<QSize> TrayIconSizes(qreal devicePixelRatio);

// The text of a menu entry that Qt exports over dbusmenu so that the host shows `status` as it is.
QString StatusMenuLabel(const QString& status);

}  // namespace lotwarden
