// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <functional>

namespace lotwarden {

// Follows the desktop's notification area as it comes and goes: a StatusNotifierWatcher with a
// registered host on the session bus, or on X11 an XEmbed tray that shows the icon. Qt asks the
// bus once and keeps the answer for the life of the process, so a host that comes later is only
// seen here.
class TrayAreaWatcher : public QObject {
  Q_OBJECT

 public:
  static constexpr char kWatcherService[] = "org.kde.StatusNotifierWatcher";
  // How long the area must stay away before it counts as gone: a panel's restart takes about
  // a second, and the window should not flash meanwhile.
  static constexpr int kGoneGraceMs = 5000;

  // shown: whether the icon can show now, given whether a StatusNotifierHost is registered; asked
  // at each change of the host and, on X11, where Qt docks its XEmbed icon unseen, every second.
  explicit TrayAreaWatcher(std::function<bool(bool host)> shown, QObject* parent = nullptr);

  // Whether there is an area now; it counts as gone only once the grace time has passed.
  bool present() const { return reported_; }
  // Whether a StatusNotifierHost is registered now.
  bool hostRegistered() const { return host_; }
  // Whether the StatusNotifierWatcher belongs to GNOME Shell, whose AppIndicator host sends an
  // activation only for a double-click (a click opens the menu).
  bool hostIsGnomeShell() const { return gnomeShell_; }
  // Asks `shown` again now (once the icon is made).
  void Update();

 signals:
  // A StatusNotifierHost registered: the watcher came (back), or its host registered.
  void hostAppeared();
  // The watcher or its host went away.
  void hostGone();
  // The area came, or has been gone for the grace time.
  void areaChanged(bool present);

 private slots:
  // Asks the watcher whether a host is registered; the answer comes later.
  void Ask();

 private:
  void SetHost(bool registered);
  // Whether an area shows the icon now, before any grace.
  bool Seen() const { return shown_(host_); }
  void Report(bool present);

  std::function<bool(bool)> shown_;
  QDBusServiceWatcher watcher_;
  QTimer xembedPoll_;
  QTimer grace_;
  bool host_ = false;
  bool gnomeShell_ = false;
  bool reported_ = false;
};

}  // namespace lotwarden
