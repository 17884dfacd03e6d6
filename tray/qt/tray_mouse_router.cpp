// SPDX-License-Identifier: MIT
#include "tray/qt/tray_mouse_router.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>
#include <algorithm>
#include <optional>
#include <utility>

namespace lotwarden {
namespace {

bool IsTrayWidget(const QObject* object) {
  return object->isWidgetType() &&
         object->objectName() == QLatin1String(TrayMouseRouter::kTrayWidgetName);
}

// The action of a button event; nothing for buttons beyond the first three.
std::optional<TrayMouse> ButtonAction(QEvent::Type type, Qt::MouseButton button) {
  if (button == Qt::MiddleButton) return TrayMouse::kMiddle;
  const bool left = button == Qt::LeftButton;
  if (!left && button != Qt::RightButton) return std::nullopt;
  switch (type) {
    case QEvent::MouseButtonPress:
      return left ? TrayMouse::kLeftPress : TrayMouse::kRightPress;
    case QEvent::MouseButtonRelease:
      return left ? TrayMouse::kLeftRelease : TrayMouse::kRightRelease;
    default:
      return left ? TrayMouse::kLeftDoubleClick : TrayMouse::kRightDoubleClick;
  }
}

}  // namespace

TrayMouseRouter::TrayMouseRouter(std::function<void(TrayMouse)> deliver, QObject* parent)
    : QObject(parent), deliver_(std::move(deliver)) {
  qApp->installEventFilter(this);
}

TrayMouseRouter::~TrayMouseRouter() {
  qApp->removeEventFilter(this);
}

void TrayMouseRouter::SetTray(QSystemTrayIcon* tray) {
  if (tray_) disconnect(tray_, nullptr, this, nullptr);
  tray_ = tray;
  connect(tray, &QSystemTrayIcon::activated, this, &TrayMouseRouter::Activated);
  sinceHost_.start();
}

void TrayMouseRouter::WatchMenu(QMenu* menu) {
  // Posted, so the menu counts as closed after its command has run.
  connect(menu, &QMenu::aboutToHide, this, [this] { Post(TrayMouse::kMenuClosed); });
}

void TrayMouseRouter::WatchExportedMenu(QMenu* menu) {
  connect(menu, &QMenu::aboutToShow, this, [this] {
    if (sinceHost_.isValid() && sinceHost_.elapsed() < kHostLookAheadMs) return;
    Post(TrayMouse::kHostMenuOpened);
  });
  WatchMenu(menu);
  // Hosts built on libdbusmenu-gtk report no closing, but a chosen entry closes the menu.
  connect(menu, &QMenu::triggered, this, [this] { Post(TrayMouse::kMenuClosed); });
}

void TrayMouseRouter::HostAppeared(bool gnomeShell) {
  gnomeShell_ = gnomeShell;
  sinceHost_.start();
}

void TrayMouseRouter::HostGone() {
  Post(TrayMouse::kMenuClosed);
}

bool TrayMouseRouter::TrayWidgetExists() {
  const auto widgets = QApplication::topLevelWidgets();
  return std::any_of(widgets.begin(), widgets.end(),
                     [](const QWidget* w) { return IsTrayWidget(w); });
}

bool TrayMouseRouter::eventFilter(QObject* watched, QEvent* event) {
  if (!IsTrayWidget(watched)) return false;
  std::optional<TrayMouse> action;
  switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
      action = TrayMouse::kMove;
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      action = ButtonAction(event->type(), static_cast<QMouseEvent*>(event)->button());
      break;
    default:
      break;
  }
  // The widget still gets the event (Qt's own handling only emits activated(), ignored
  // here), and the action runs after it: a command run from it may delete the widget.
  if (action) Post(*action);
  return false;
}

void TrayMouseRouter::Activated(QSystemTrayIcon::ActivationReason reason) {
  if (TrayWidgetExists()) return;
  // The host's call shows the pointer is over the icon, and that no menu of its own is open.
  Post(TrayMouse::kMove);
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      if (gnomeShell_) {
        Post(TrayMouse::kLeftPress);
        Post(TrayMouse::kLeftDoubleClick);
      } else if (sinceClick_.isValid() &&
                 sinceClick_.elapsed() <
                     QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
        // The second click of a double-click replaces its press, as on XEmbed.
        sinceClick_.invalidate();
        Post(TrayMouse::kLeftDoubleClick);
      } else {
        sinceClick_.start();
        Post(TrayMouse::kLeftPress);
      }
      break;
    case QSystemTrayIcon::DoubleClick:
      Post(TrayMouse::kLeftDoubleClick);
      break;
    case QSystemTrayIcon::Context:
      Post(TrayMouse::kRightPress);
      break;
    case QSystemTrayIcon::MiddleClick:
      Post(TrayMouse::kMiddle);
      break;
    default:
      break;
  }
}

void TrayMouseRouter::Post(TrayMouse action) {
  QMetaObject::invokeMethod(
      this, [this, action] { deliver_(action); }, Qt::QueuedConnection);
}

}  // namespace lotwarden
