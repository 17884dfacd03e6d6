// SPDX-License-Identifier: MIT
#include "tray/qt/qt_tray_presence.h"

#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <cmath>
#include <utility>

namespace lotwarden {

QtTrayPresence::QtTrayPresence(QIcon windowIcon, QObject* parent)
    : QObject(parent), windowIcon_(std::move(windowIcon)) {
  faceHold_.setSingleShot(true);
  connect(&faceHold_, &QTimer::timeout, this, &QtTrayPresence::SendFace);
}

QtTrayPresence::~QtTrayPresence() {
  if (tray_ != nullptr) tray_->hide();
  // Entries taken out one by one let the menu delete their platform counterparts: a platform
  // theme's own (Plasma 6's) would outlive the menu otherwise.
  if (exportedMenu_ != nullptr) exportedMenu_->clear();
}

QSystemTrayIcon* QtTrayPresence::CreateIcon() {
  if (tray_ != nullptr) return tray_;
  tray_ = new QSystemTrayIcon(this);
  SendFace();
  SendTooltip();
  if (shown_) tray_->show();
  return tray_;
}

void QtTrayPresence::AddTrayIcon(const std::u16string& tooltip) {
  record_.SetTip(tooltip);
  shown_ = true;
  face_.reset();
  SendFace();
  SendTooltip();
  if (tray_ != nullptr) tray_->show();
}

void QtTrayPresence::RefreshTrayIcon(const std::u16string& tooltip, const FaceReading& face) {
  record_.SetTip(tooltip);
  face_ = face;
  SendFace();
  SendTooltip();
}

void QtTrayPresence::RemoveTrayIcon() {
  shown_ = false;
  if (tray_ != nullptr) tray_->hide();
}

void QtTrayPresence::HoldFaceFor(int ms) {
  faceHold_.start(ms);
}

void QtTrayPresence::SendFace() {
  if (tray_ == nullptr || faceHold_.isActive()) return;
  if (!face_) {
    tray_->setIcon(windowIcon_);
    sentFace_.reset();
    return;
  }
  // The face at the screen's scale: a D-Bus host picks its size from those listed.
  const std::pair drawn{*face_, qGuiApp->devicePixelRatio()};
  if (sentFace_ != drawn) {
    tray_->setIcon(FaceIcon(*face_, TrayIconSizes(drawn.second)));
    sentFace_ = drawn;
  }
}

QMenu* QtTrayPresence::ExportMenu(const QList<QAction*>& entries) {
  auto menu = std::make_unique<QMenu>();
  statusEntry_ = menu->addAction(QString());
  statusEntry_->setEnabled(false);
  menu->addSeparator();
  menu->addActions(entries);
  tray_->setContextMenu(menu.get());
  // Only Qt's D-Bus tray gives the menu a platform counterpart. On XEmbed Qt's icon widget
  // would pop a context menu up by itself on a right press, so none is set there.
  if (menu->platformMenu() == nullptr) {
    tray_->setContextMenu(nullptr);
    statusEntry_ = nullptr;
    return nullptr;
  }
  exportedMenu_ = std::move(menu);
  sentTooltip_.reset();
  SendTooltip();
  return exportedMenu_.get();
}

QList<QSize> TrayIconSizes(qreal devicePixelRatio) {
  // Xfce's and waybar's hosts scale the largest picture sent to their size, and Qt adds one of 64
  // pixels unless a listed size lies above 22. Listed as 22 by 23, the 22-pixel face (drawn
  // square, as every face) stays the largest.
  const int small = static_cast<int>(std::lround(16 * devicePixelRatio));
  const int normal = static_cast<int>(std::lround(22 * devicePixelRatio));
  return {{small, small}, {normal, normal + 1}};
}

QString StatusMenuLabel(const QString& status) {
  // dbusmenu reads '_' as the mnemonic's mark and "__" as an underscore. Qt turns the first '&'
  // of an entry's text into that mark, and no other: "&&" there shows the '&' itself.
  QString label = status;
  label.replace(QLatin1Char('_'), QLatin1String("__"));
  const qsizetype ampersand = label.indexOf(QLatin1Char('&'));
  if (ampersand >= 0) label.insert(ampersand, QLatin1Char('&'));
  return label;
}

void QtTrayPresence::SendTooltip() {
  if (tray_ == nullptr) return;
  const QString tip = QString::fromStdU16String(record_.TooltipText());
  if (sentTooltip_ == tip) return;
  tray_->setToolTip(tip);
  if (statusEntry_ != nullptr) {
    statusEntry_->setText(StatusMenuLabel(tip));
    // The line and its separator show once there is a status.
    for (QAction* line : exportedMenu_->actions().mid(0, 2))
      line->setVisible(!tip.isEmpty());
  }
  sentTooltip_ = tip;
}

}  // namespace lotwarden
