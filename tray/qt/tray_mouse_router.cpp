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

TrayMouseRouter::TrayMouseRouter(QSystemTrayIcon* tray, std::function<void(TrayMouse)> deliver,
                                 QObject* parent)
    : QObject(parent), tray_(tray), deliver_(std::move(deliver)) {
  qApp->installEventFilter(this);
  connect(tray, &QSystemTrayIcon::activated, this, &TrayMouseRouter::Activated);
}

TrayMouseRouter::~TrayMouseRouter() {
  qApp->removeEventFilter(this);
}

void TrayMouseRouter::WatchMenu(QMenu* menu) {
  // Queued: the pointer's return comes after the menu's command has run.
  connect(menu, &QMenu::aboutToHide, this, &TrayMouseRouter::MenuClosed, Qt::QueuedConnection);
}

void TrayMouseRouter::WatchExportedMenu(QMenu* menu) {
  connect(menu, &QMenu::aboutToShow, this, [this] {
    sinceClick_.start();
    Post(TrayMouse::kMove);
    Post(TrayMouse::kRightPress);
  });
  WatchMenu(menu);
  // Hosts built on libdbusmenu-gtk report no closing, but a chosen entry closes the menu.
  connect(menu, &QMenu::triggered, this, &TrayMouseRouter::MenuClosed, Qt::QueuedConnection);
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
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      // The second click of a double-click replaces its press, as on XEmbed.
      if (sinceClick_.isValid() &&
          sinceClick_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval()) {
        sinceClick_.invalidate();
        Post(TrayMouse::kLeftDoubleClick);
      } else {
        sinceClick_.start();
        Post(TrayMouse::kMove);
        Post(TrayMouse::kLeftPress);
      }
      break;
    case QSystemTrayIcon::DoubleClick:
      Post(TrayMouse::kLeftDoubleClick);
      break;
    case QSystemTrayIcon::Context:
      Post(TrayMouse::kMove);
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

void TrayMouseRouter::MenuClosed() {
  if (!TrayWidgetExists()) deliver_(TrayMouse::kMove);
}

}  // namespace lotwarden
