// SPDX-License-Identifier: MIT
#include "tray/qt/qt_tray_presence.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cmath>
#include <utility>

#include "tray/clock_face.h"

namespace lotwarden {

QtTrayPresence::QtTrayPresence(QIcon windowIcon, QObject* parent)
    : QObject(parent), windowIcon_(std::move(windowIcon)), tray_(new QSystemTrayIcon(this)) {}

QtTrayPresence::~QtTrayPresence() {
  tray_->hide();
}

bool QtTrayPresence::Available() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayPresence::AddTrayIcon(const std::u16string& tooltip) {
  record_.SetTip(tooltip);
  tray_->setIcon(windowIcon_);
  sentImage_ = QImage();
  SendTooltip();
  tray_->show();
}

void QtTrayPresence::RefreshTrayIcon(const std::u16string& tooltip, const FaceReading& face) {
  record_.SetTip(tooltip);
  const qreal ratio = DevicePixelRatio();
  surface_.Resize(static_cast<int>(std::lround(IconLogicalSize() * ratio)));
  DrawClockFace(surface_, face.hour, face.minute, face.fill);
  QImage image = MaskedIconImage(surface_.image(), ratio);
  if (image != sentImage_ || image.devicePixelRatio() != sentImage_.devicePixelRatio()) {
    tray_->setIcon(QIcon(QPixmap::fromImage(image)));
    sentImage_ = std::move(image);
  }
  SendTooltip();
}

void QtTrayPresence::RemoveTrayIcon() {
  tray_->hide();
}

QMenu* QtTrayPresence::ExportMenu(const QList<QAction*>& entries) {
  auto menu = std::make_unique<QMenu>();
  menu->addActions(entries);
  tray_->setContextMenu(menu.get());
  // Only Qt's D-Bus tray gives the menu a platform counterpart. On XEmbed Qt's icon widget
  // would pop a context menu up by itself on a right press, so none is set there.
  if (menu->platformMenu() == nullptr) {
    tray_->setContextMenu(nullptr);
    return nullptr;
  }
  exportedMenu_ = std::move(menu);
  return exportedMenu_.get();
}

void QtTrayPresence::SetIconScale(int logicalSize, qreal devicePixelRatio) {
  pinnedSize_ = logicalSize;
  pinnedRatio_ = devicePixelRatio;
}

int QtTrayPresence::IconLogicalSize() const {
  if (pinnedSize_ > 0) return pinnedSize_;
  // A docked icon's rectangle is the size the notification area shows it at.
  const QRect shown = tray_->geometry();
  if (shown.isValid() && !shown.isEmpty()) return std::min(shown.width(), shown.height());
  return kDefaultIconSize;
}

qreal QtTrayPresence::DevicePixelRatio() const {
  if (pinnedRatio_ > 0) return pinnedRatio_;
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

void QtTrayPresence::SendTooltip() {
  const QString tip = QString::fromStdU16String(record_.TooltipText());
  if (sentTooltip_ == tip) return;
  tray_->setToolTip(tip);
  sentTooltip_ = tip;
}

}  // namespace lotwarden
