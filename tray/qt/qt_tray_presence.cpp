// SPDX-License-Identifier: MIT
#include "tray/qt/qt_tray_presence.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <algorithm>
#include <cmath>
#include <utility>

#include "tray/clock_face.h"

namespace lotwarden {
namespace {

// The icon of one face. QIcon's own pixmap engine puts every pixmap it paints into the
// application-wide QPixmapCache under that pixmap's key, where a replaced face stays until the
// cache is full (a small face counts as 1 of its 10,240 KB) and its key stays for good: a new
// face every minute, and every second while blinking, made the program grow for weeks. This
// engine sizes and paints its one pixmap as Qt's does (scaled down to fit, never up), and keeps
// no copies.
class FaceIconEngine : public QIconEngine {
 public:
  explicit FaceIconEngine(QPixmap face) : face_(std::move(face)) {}
  QIconEngine* clone() const override { return new FaceIconEngine(face_); }
  bool isNull() override { return face_.isNull(); }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {face_.size()}; }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    return face_.size().width() > size.width() || face_.size().height() > size.height()
               ? face_.size().scaled(size, Qt::KeepAspectRatio)
               : face_.size();
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    const QSize fit = actualSize(size, mode, state);
    return fit == face_.size() ? face_
                               : face_.scaled(fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
    return pixmap(size, mode, state);
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
    painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
  }

 private:
  QPixmap face_;
};

}  // namespace

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
    tray_->setIcon(QIcon(new FaceIconEngine(QPixmap::fromImage(image))));
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
