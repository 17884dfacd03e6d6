// SPDX-License-Identifier: MIT
#include "tray/qt/tray_area_watcher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QFile>
#include <QGuiApplication>
#include <utility>

namespace lotwarden {
namespace {

const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

QDBusMessage HostQuery() {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QLatin1String(TrayAreaWatcher::kWatcherService), kWatcherPath,
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  call << QLatin1String(TrayAreaWatcher::kWatcherService)
       << QStringLiteral("IsStatusNotifierHostRegistered");
  return call;
}

// The program that owns a bus name, by the name of its process.
QByteArray OwnerProgram(const QDBusConnection& bus, const QString& name) {
  const QDBusReply<uint> pid = bus.interface()->servicePid(name);
  if (!pid.isValid()) return {};
  QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
  return comm.open(QIODevice::ReadOnly) ? comm.readAll().trimmed() : QByteArray();
}

}  // namespace

TrayAreaWatcher::TrayAreaWatcher(std::function<bool(bool)> shown, QObject* parent)
    : QObject(parent), shown_(std::move(shown)) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  const QString service = QLatin1String(kWatcherService);
  watcher_.setConnection(bus);
  watcher_.setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
  watcher_.addWatchedService(service);
  connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString& before, const QString& owner) {
            // A new owner is a new host: the icon registers with it afresh.
            if (!before.isEmpty()) SetHost(false);
            if (!owner.isEmpty()) Ask();
          });
  for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
    bus.connect(service, kWatcherPath, service, QLatin1String(signal), this, SLOT(Ask()));
  // Once, at start, before the icon is made: the answer decides how it is made.
  const QDBusMessage reply = bus.call(HostQuery(), QDBus::Block, 2000);
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
    host_ = reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
    gnomeShell_ = host_ && OwnerProgram(bus, service) == "gnome-shell";
  }

  grace_.setSingleShot(true);
  grace_.setInterval(kGoneGraceMs);
  connect(&grace_, &QTimer::timeout, this, [this] { Report(Seen()); });
  // Qt docks an XEmbed icon by itself when a tray appears or comes back, but says so nowhere.
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    xembedPoll_.setInterval(1000);
    connect(&xembedPoll_, &QTimer::timeout, this, &TrayAreaWatcher::Update);
    xembedPoll_.start();
  }
  reported_ = Seen();
}

void TrayAreaWatcher::Ask() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(HostQuery(), 2000), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    call->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *call;
    SetHost(reply.isValid() && reply.value().variant().toBool());
  });
}

void TrayAreaWatcher::SetHost(bool registered) {
  if (registered == host_) return;
  host_ = registered;
  if (host_) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    gnomeShell_ = OwnerProgram(bus, QLatin1String(kWatcherService)) == "gnome-shell";
    emit hostAppeared();
  } else {
    emit hostGone();
  }
  Update();
}

void TrayAreaWatcher::Update() {
  if (Seen()) {
    grace_.stop();
    Report(true);
  } else if (reported_ && !grace_.isActive()) {
    grace_.start();
  }
}

void TrayAreaWatcher::Report(bool present) {
  if (present == reported_) return;
  reported_ = present;
  emit areaChanged(present);
}

}  // namespace lotwarden
