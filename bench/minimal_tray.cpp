// SPDX-License-Identifier: MIT
// The floor that bench/footprint.sh measures the program against: about the least a Qt 6
// tray program that polls a web page needs. One window, one tray icon, a one-second timer
// and a network manager; given a URL, it GETs it at the start of every wall-clock minute.
// Usage: minimal_tray [URL]
#include <QApplication>
#include <QDateTime>
#include <QIcon>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  QLabel window(QStringLiteral("Minimal tray"));
  window.setWindowTitle(QStringLiteral("Minimal tray"));
  window.resize(132, 102);

  QPixmap face(22, 22);
  face.fill(Qt::gray);
  QSystemTrayIcon tray{QIcon(face)};
  tray.setToolTip(QStringLiteral("Minimal tray"));
  tray.show();

  QNetworkAccessManager network;
  const QUrl url = argc > 1 ? QUrl(QString::fromLocal8Bit(argv[1])) : QUrl();
  int lastMinute = -1;
  QTimer tick;
  tick.setInterval(1000);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const int minute = QTime::currentTime().minute();
    if (minute == lastMinute || url.isEmpty()) return;
    lastMinute = minute;
    QNetworkReply* reply = network.get(QNetworkRequest(url));
    QObject::connect(reply, &QNetworkReply::finished, [reply] {
      reply->readAll();
      reply->deleteLater();
    });
  });
  tick.start();

  window.show();
  return QApplication::exec();
}
