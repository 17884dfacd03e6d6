// SPDX-License-Identifier: MIT
#include "tray/qt/tray_mouse_router.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <utility>

#include "tray/tray_mouse.h"

namespace lotwarden {
namespace {

constexpr int kWmMButtonDown = 519;
constexpr int kWmMButtonUp = 520;
constexpr int kWmMButtonDblClk = 521;

bool IsTrayWidget(const QObject* object) {
  return object->isWidgetType() &&
         object->objectName() == QLatin1String(TrayMouseRouter::kTrayWidgetName);
}

// The message of a button event, by the first of its three numbers (press).
int ButtonMessage(Qt::MouseButton button, int offset) {
  switch (button) {
    case Qt::LeftButton:
      return kWmLButtonDown + offset;
    case Qt::RightButton:
      return kWmRButtonDown + offset;
    case Qt::MiddleButton:
      return kWmMButtonDown + offset;
    default:
      return 0;
  }
}

}  // namespace

TrayMouseRouter::TrayMouseRouter(QSystemTrayIcon* tray, std::function<void(int)> deliver,
                                 QObject* parent)
    : QObject(parent), tray_(tray), deliver_(std::move(deliver)) {
  static_assert(kWmMButtonUp == kWmMButtonDown + 1 && kWmMButtonDblClk == kWmMButtonDown + 2);
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

bool TrayMouseRouter::TrayWidgetExists() {
  const auto widgets = QApplication::topLevelWidgets();
  return std::any_of(widgets.begin(), widgets.end(),
                     [](const QWidget* w) { return IsTrayWidget(w); });
}

bool TrayMouseRouter::eventFilter(QObject* watched, QEvent* event) {
  if (!IsTrayWidget(watched)) return false;
  int message = 0;
  switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
      message = kWmMouseMove;
      break;
    case QEvent::MouseButtonPress:
      message = ButtonMessage(static_cast<QMouseEvent*>(event)->button(), 0);
      break;
    case QEvent::MouseButtonRelease:
      message = ButtonMessage(static_cast<QMouseEvent*>(event)->button(), 1);
      break;
    case QEvent::MouseButtonDblClick:
      message = ButtonMessage(static_cast<QMouseEvent*>(event)->button(), 2);
      break;
    default:
      break;
  }
  // The widget still gets the event (Qt's own handling only emits activated(), ignored
  // here), and the message is handled after it: a command run from it may delete the widget.
  if (message != 0) Post(message);
  return false;
}

void TrayMouseRouter::Activated(QSystemTrayIcon::ActivationReason reason) {
  if (TrayWidgetExists()) return;
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      Post(kWmMouseMove);
      Post(kWmLButtonDown);
      break;
    case QSystemTrayIcon::DoubleClick:
      Post(kWmLButtonDblClk);
      break;
    case QSystemTrayIcon::Context:
      Post(kWmMouseMove);
      Post(kWmRButtonDown);
      break;
    case QSystemTrayIcon::MiddleClick:
      Post(kWmMButtonDown);
      break;
    default:
      break;
  }
}

void TrayMouseRouter::Post(int message) {
  QMetaObject::invokeMethod(
      this, [this, message] { deliver_(message); }, Qt::QueuedConnection);
}

void TrayMouseRouter::MenuClosed() {
  if (!TrayWidgetExists()) deliver_(kWmMouseMove);
}

}  // namespace lotwarden
