// SPDX-License-Identifier: MIT
#include "tray/qt/qt_notifier.h"

#include <QApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <QWidget>
#include <utility>

namespace lotwarden {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

QDBusMessage Call(const QString& method) {
  return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

}  // namespace

QtNotifier::QtNotifier(QDBusConnection bus, QString desktopEntry, QWidget* window, QObject* parent)
    : QObject(parent),
      bus_(std::move(bus)),
      desktopEntry_(std::move(desktopEntry)),
      window_(window) {
  // Signals only from whoever owns the service's name.
  bus_.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
               SLOT(OnClosed(uint, uint)));
}

void QtNotifier::Notify(const std::u16string& text, std::uint32_t replaces) {
  QDBusMessage call = Call(QStringLiteral("Notify"));
  // Name, replaced number, icon, summary, body, actions (key and label), hints, expiry (the
  // service's default).
  call << QStringLiteral("Lotwarden") << uint{replaces} << QStringLiteral("lotwarden")
       << QString::fromStdU16String(text) << QString()
       << QStringList{QStringLiteral("default"), QStringLiteral("Open URL")}
       << QVariantMap{{QStringLiteral("desktop-entry"), desktopEntry_}} << -1;
  if (window_) QApplication::alert(window_, 0);
  if (!bus_.isConnected()) {  // no session bus at all
    Answered(bus_.lastError());
    return;
  }
  auto* answer = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<uint> reply = *w;
    Answered(reply.error(), reply.isError() ? 0 : reply.value());
  });
}

void QtNotifier::Answered(const QDBusError& error, uint id) {
  if (id == 0 && !std::exchange(complained_, true))
    qWarning("lotwarden: no desktop notifications: %s",
             error.isValid() ? qPrintable(error.message()) : "no session bus");
  if (notice_ != nullptr) notice_->Shown(id);
}

void QtNotifier::Close(std::uint32_t id) {
  if (bus_.isConnected()) bus_.asyncCall(Call(QStringLiteral("CloseNotification")) << uint{id});
}

void QtNotifier::OnActionInvoked(uint id, const QString& action) {
  if (notice_ != nullptr) notice_->ActionInvoked(id, action.toStdU16String());
}

void QtNotifier::OnClosed(uint id, uint reason) {
  if (notice_ != nullptr) notice_->Closed(id, reason);
}

}  // namespace lotwarden
