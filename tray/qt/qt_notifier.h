// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>

#include "tray/alert_notice.h"

class QDBusError;
class QWidget;

namespace lotwarden {

// The desktop's notification service over D-Bus (org.freedesktop.Notifications): the text as
// the summary, the program's name and icon with the desktop entry named as a hint (so that the
// desktop shows and lists them as the program's), and a "default" action, which the desktop runs
// on a click. Calls never wait; answers and the service's signals go to the notice. Where no
// service answers, one line says so on standard error, once.
class QtNotifier : public QObject, public Notifier {
  Q_OBJECT

 public:
  // window: asked for attention with each notification.
  QtNotifier(QDBusConnection bus, QString desktopEntry, QWidget* window, QObject* parent = nullptr);

  // Where the answers and the service's reports go.
  void ReportTo(AlertNotice* notice) { notice_ = notice; }

  void Notify(const std::u16string& text, std::uint32_t replaces) override;
  void Close(std::uint32_t id) override;

 private slots:
  void OnActionInvoked(uint id, const QString& action);
  void OnClosed(uint id, uint reason);

 private:
  // A Notify answered: its number, or 0 and the error that says why there is none.
  void Answered(const QDBusError& error, uint id = 0);

  QDBusConnection bus_;
  QString desktopEntry_;
  QPointer<QWidget> window_;
  AlertNotice* notice_ = nullptr;
  bool complained_ = false;
};

}  // namespace lotwarden
