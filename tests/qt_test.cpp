// SPDX-License-Identifier: MIT
// The Qt adapters and the program through its real widgets, offscreen, against a local proxy.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleHints>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "monitor/urls.h"
#include "tests/fakes.h"
#include "window/program.h"

namespace lotwarden {
namespace {

using namespace std::chrono_literals;
using namespace testing;  // lotwarden::testing
using Outcome = std::pair<TransferOutcome, std::string>;
constexpr auto kError = TransferOutcome::kError;
constexpr auto kCompleted = TransferOutcome::kCompleted;
using Responder = std::function<void(QTcpSocket&, const QByteArray& requestLine)>;

// An HTTP server on 127.0.0.1 that records each request line and hands it to the responder.
class ScriptedServer {
 public:
  explicit ScriptedServer(Responder responder) : responder_(std::move(responder)) {
    server_.listen(QHostAddress::LocalHost, 0);
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(server_.serverPort()));
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, &server_, [this, socket] {
          buffers_[socket] += socket->readAll();
          for (qsizetype end; (end = buffers_[socket].indexOf("\r\n\r\n")) >= 0;) {
            requests.push_back(buffers_[socket].left(buffers_[socket].indexOf('\r')));
            buffers_[socket].remove(0, end + 4);
            responder_(*socket, requests.back());
          }
        });
      }
    });
  }
  std::vector<QByteArray> requests;

 private:
  QTcpServer server_;
  Responder responder_;
  std::map<QTcpSocket*, QByteArray> buffers_;
};

template <typename T = QWidget>
T* Control(const QObject& window, const char* name, int index = 0) {
  return window.findChildren<T*>(QString::fromLatin1(name)).value(index);
}

QByteArray Response(const QByteArray& status, const QByteArray& body, const QByteArray& more = {}) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" +
         more + "\r\n" + body;
}
Responder Answer(QByteArray bytes, bool close = false) {
  return [bytes, close](QTcpSocket& socket, const QByteArray&) {
    socket.write(bytes);
    if (close) socket.disconnectFromHost();
  };
}

class TransferTest : public ::testing::Test {
 protected:
  // A transfer with the program's own limits unless told otherwise.
  std::unique_ptr<QtTransfer> Make(std::chrono::milliseconds inactivity = 60s,
                                   std::chrono::milliseconds total = 5min,
                                   std::int64_t bodyLimit = QtTransfer::kDefaultBodyLimit) {
    return std::make_unique<QtTransfer>(
        [this](TransferOutcome outcome, std::string body) {
          EXPECT_FALSE(inside_) << "reported from inside Execute";
          reports_.emplace_back(outcome, std::move(body));
        },
        inactivity, total, bodyLimit);
  }
  void Execute(QtTransfer& transfer, const std::u16string& id) {
    inside_ = true;
    transfer.Execute(ItemPageUrl(id));
    inside_ = false;
  }
  // The next report, and no second one after it.
  Outcome Next() {
    const size_t before = reports_.size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reports_.size() > before; }, 10'000));
    QTest::qWait(50);
    EXPECT_EQ(reports_.size(), before + 1) << "one request, one report";
    return reports_.size() > before ? reports_[before] : Outcome{kError, "none"};
  }

  std::vector<Outcome> reports_;
  bool inside_ = false;
};

// A body that arrives whole, whatever its status, is completed, byte-exact; anything else fails.
TEST_F(TransferTest, EachKindOfAnswerEndsInItsOutcome) {
  QByteArray page = "<html>\xa5\xe4 \x8e\xd3 12,345 \xb1\xdf</html>\n";
  for (int byte = 0; byte < 256; ++byte)
    page.append(static_cast<char>(byte));
  const std::string whole = page.toStdString();
  const auto redirect = [](QTcpSocket& socket, const QByteArray& line) {
    socket.write(line.contains("/b1 ") ? Response("302 Found", "", "Location: /jp/auction/b2\r\n")
                                       : Response("200 OK", "moved here"));
  };
  const QByteArray bomb = qCompress(QByteArray(20 << 20, '<'), 9).mid(4);  // 20 KB to 20 MiB
  // clang-format off
  const std::tuple<const char*, Responder, Outcome> cases[] = {
      {"content-length", Answer(Response("200 OK", page)), {kCompleted, whole}},
      {"until close", Answer("HTTP/1.1 200 OK\r\n\r\n" + page, true), {kCompleted, whole}},
      {"404", Answer(Response("404 Not Found", "<p>404</p>")), {kCompleted, "<p>404</p>"}},
      {"500", Answer(Response("500 Internal Server Error", "")), {kCompleted, ""}},
      {"redirect", redirect, {kCompleted, "moved here"}},
      {"cut short", Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\n<p>", true), {kError, ""}},
      {"closed unanswered", [](QTcpSocket& socket, const QByteArray&) { socket.close(); }, {kError, ""}},
      {"proxy wants credentials", Answer(Response("407 Proxy Authentication Required", "x",
                                                  "Proxy-Authenticate: Basic realm=\"p\"\r\n")), {kError, ""}},
      {"compression bomb", Answer(Response("200 OK", bomb, "Content-Encoding: deflate\r\n")), {kError, ""}}};
  // clang-format on
  for (const auto& [name, responder, outcome] : cases) {
    ScriptedServer server(responder);
    auto transfer = Make();
    Execute(*transfer, u"b1");
    EXPECT_EQ(Next(), outcome) << name;
  }
  // The ID goes in as typed, percent-encoded where it would break the URL or make a header.
  ScriptedServer server(Answer(Response("200 OK", "ok")));
  auto transfer = Make();
  Execute(*transfer, u"b 1%zz\r\nX-Injected: ｂ");
  EXPECT_EQ(Next(), (Outcome{kCompleted, "ok"}));
  EXPECT_EQ(server.requests.at(0),
            "GET http://page.auctions.yahoo.co.jp/jp/auction/"
            "b%201%25zz%0D%0AX-Injected:%20%EF%BD%82 HTTP/1.1");
  qputenv("http_proxy", "http://127.0.0.1:1");  // nothing listens there
  Execute(*transfer, u"b1");
  EXPECT_EQ(Next(), (Outcome{kError, ""}));
}

// The program's limits (60 s without data, 5 minutes, 16 MiB received), the times shortened.
TEST_F(TransferTest, LimitsEndARequestAsAnError) {
  EXPECT_EQ(QtTransfer::kDefaultInactivityTimeout, 60s);
  EXPECT_EQ(QtTransfer::kDefaultTotalLimit, 5min);
  const auto trickle = [](QTcpSocket& socket, const QByteArray&) {
    socket.write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
    auto* drip = new QTimer(&socket);
    QObject::connect(drip, &QTimer::timeout, &socket, [&socket] { socket.write("x"); });
    drip->start(200);
  };
  const Responder stall = Answer("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n<p>");
  for (const auto& [responder, total, atLeastMs] :
       {std::tuple{stall, 10'000ms, 900}, {trickle, 2000ms, 1800}}) {
    ScriptedServer server(responder);
    auto transfer = Make(1s, total);
    QElapsedTimer clock;
    clock.start();
    Execute(*transfer, u"b1");
    EXPECT_EQ(Next(), (Outcome{kError, ""}));
    EXPECT_TRUE(clock.elapsed() >= atLeastMs && clock.elapsed() < atLeastMs + 4000)
        << clock.elapsed();
  }
  ScriptedServer server([](QTcpSocket& socket, const QByteArray& line) {
    const QByteArray id = line.split(' ')[1].split('/').back();  // the size
    socket.write(Response("200 OK", QByteArray(id.toLongLong(), 'a')));
  });
  auto small = Make(60s, 5min, 65536), standard = Make();  // the program's own, and a small one
  for (const auto& [transfer, limit] :
       {std::pair{small.get(), 65536}, {standard.get(), 16 << 20}}) {
    for (const int size : {limit + 1, limit}) {
      const std::string id = std::to_string(size);
      Execute(*transfer, std::u16string(id.begin(), id.end()));
      EXPECT_EQ(Next(), (Outcome{size > limit ? kError : kCompleted,
                                 std::string(size > limit ? 0 : size, 'a')}));
    }
  }
}

// A new icon goes out only when the face changed (on D-Bus hosts every change travels to the
// desktop). It is drawn afresh at every size and scale asked for, see-through where grey, in
// device pixels whichever way the Qt it runs on hands the icon engine its size.
TEST(TrayAdapters, PresenceSendsOnlyChanges) {
  QtTrayPresence presence{ClockFaceWindowIcon()};
  presence.AddTrayIcon(u"Ready");
  QSystemTrayIcon& tray = *presence.CreateIcon();
  EXPECT_EQ(tray.toolTip(), QStringLiteral("Ready"));
  // clang-format off
  const std::tuple<FaceReading, bool, QRgb> steps[] = {{{3, 0, FaceFill::kGrey}, true, 0},
      {{3, 0, FaceFill::kGrey}, false, 0}, {{15, 0, FaceFill::kYellow}, true, 0xFFFFFF00},
      {{15, 0, FaceFill::kYellow}, false, 0xFFFFFF00}, {{15, 1, FaceFill::kYellow}, true, 0xFFFFFF00}};
  // clang-format on
  for (const auto& [face, changes, inside] : steps) {
    const qint64 key = tray.icon().cacheKey();
    presence.RefreshTrayIcon(std::u16string(100, u'x'), face);
    EXPECT_EQ(tray.icon().cacheKey() != key, changes) << face.hour << ":" << face.minute;
    for (const int ratio : {1, 2}) {
      for (const int size : kFaceIconSizes) {
        QtClockSurface surface(size * ratio);
        DrawClockFace(surface, face.hour, face.minute, face.fill);
        const QImage shown = tray.icon()
                                 .pixmap(QSize(size, size), ratio)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(shown, MaskedIconImage(surface.image(), ratio)) << size << "@" << ratio;
        if (size == 22) {
          EXPECT_EQ(shown.pixel(QPoint(7, 14) * ratio), inside);
        }
      }
    }
  }
  EXPECT_EQ(tray.toolTip(), QString(63, QLatin1Char('x')));
  // What a D-Bus host is offered: each size once, at the screen's scale.
  EXPECT_EQ(tray.icon().availableSizes(), (QList<QSize>{{16, 16}, {22, 23}}));
  EXPECT_EQ(TrayIconSizes(2), (QList<QSize>{{32, 32}, {44, 45}}));
  // A menu line shows the status as it is: dbusmenu's '_' marks a mnemonic, and Qt turns the
  // first '&' into one.
  EXPECT_EQ(StatusMenuLabel(QStringLiteral("a_b & c&")), QStringLiteral("a__b && c&"));
}

// A StatusNotifierItem host's activations and exported menu, then Qt's XEmbed icon widget's events
// (seen directly, so activations no longer count), handed over once the event loop runs.
TEST(TrayAdapters, RouterMapsEventsAndActivationsToActions) {
  QSystemTrayIcon tray;
  std::vector<TrayMouse> got;
  TrayMouseRouter router{[&](TrayMouse action) { got.push_back(action); }};
  router.SetTray(&tray);
  QMenu menu, exported;
  router.WatchMenu(&menu);
  router.WatchExportedMenu(&exported);
  const auto take = [&] {
    EXPECT_TRUE(got.empty()) << "delivered before the event loop ran";
    QCoreApplication::processEvents();
    return std::exchange(got, {});
  };
  using A = std::vector<TrayMouse>;
  using T = TrayMouse;
  using R = QSystemTrayIcon;
  const int hour = 3'600'000, interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
  // clang-format off
  const std::tuple<R::ActivationReason, int, A> activations[] = {
      {R::Trigger, hour, {T::kMove, T::kLeftPress}}, {R::Trigger, hour, {T::kMove, T::kLeftDoubleClick}},
      {R::Trigger, hour, {T::kMove, T::kLeftPress}}, {R::Trigger, 0, {T::kMove, T::kLeftPress}},
      {R::DoubleClick, hour, {T::kMove, T::kLeftDoubleClick}},
      {R::Context, hour, {T::kMove, T::kRightPress}}, {R::MiddleClick, hour, {T::kMove, T::kMiddle}}};
  // clang-format on
  for (const auto& [reason, doubleClickInterval, actions] : activations) {
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(doubleClickInterval);
    emit tray.activated(reason);
    EXPECT_EQ(take(), actions) << reason << " " << doubleClickInterval;
  }
  // GNOME's host reads the menu ahead as the icon registers, and sends an activation only for a
  // double-click: three in a row are three.
  router.HostAppeared(true);
  emit exported.aboutToShow();
  for (int i = 0; i < 3; ++i)
    emit tray.activated(R::Trigger);
  A doubleClicks;
  for (int i = 0; i < 3; ++i)
    doubleClicks.insert(doubleClicks.end(), {T::kMove, T::kLeftPress, T::kLeftDoubleClick});
  EXPECT_EQ(take(), doubleClicks);
  // Later openings are the user's; a choice, a closing or the host's end closes the menu.
  QTest::qWait(TrayMouseRouter::kHostLookAheadMs + 100);
  emit exported.aboutToShow();
  emit exported.triggered(nullptr);
  emit menu.aboutToHide();
  router.HostGone();
  EXPECT_EQ(take(), (A{T::kHostMenuOpened, T::kMenuClosed, T::kMenuClosed, T::kMenuClosed}));
  QGuiApplication::styleHints()->setMouseDoubleClickInterval(interval);
  QWidget icon, other;  // events on other widgets are not the tray's
  icon.setObjectName(QStringLiteral("QSystemTrayIconSys"));
  A expected;
  for (const auto button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton, Qt::NoButton}) {
    for (const auto type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
      QMouseEvent event(button == Qt::NoButton ? QEvent::MouseMove : type, {3, 3}, {3, 3}, button,
                        button, {});
      for (QWidget* widget : {&icon, &other})
        QApplication::sendEvent(widget, &event);
    }
    emit tray.activated(R::Trigger);  // Qt's widget reports these too: they count once
  }
  EXPECT_EQ(take(), (A{T::kLeftPress, T::kLeftRelease, T::kLeftDoubleClick, T::kRightPress,
                       T::kRightRelease, T::kRightDoubleClick, T::kMiddle, T::kMiddle, T::kMiddle,
                       T::kMove, T::kMove, T::kMove}));
}

class UrlSink : public QObject {  // receives the http URLs that would go to the browser
  Q_OBJECT

 public:
  UrlSink() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
  ~UrlSink() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
  std::vector<QByteArray> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toEncoded()); }
};

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    window().SetTray([this] { return tray; }, [this] { ++removals; });
  }
  MainWindow& window() { return program.window(); }
  MonitorState& state() { return program.monitor().state(); }
  QLineEdit* Id() { return Control<QLineEdit>(window(), "A_ID"); }
  void Run(const char* entry) { Control<QAction>(*window().popupMenu(), entry)->trigger(); }
  bool Fetched(size_t count) {
    return QTest::qWaitFor([&] { return server.requests.size() == count && !state().busy; }, 5000);
  }

  // The item page, with the current bid in `price`.
  ScriptedServer server{[this](QTcpSocket& socket, const QByteArray&) {
    socket.write(Response(
        "200 OK", QByteArray::fromStdString(
                      EucJp("<HTML><TITLE>Yahoo!オークション - Old camera</TITLE>"
                            "<TD>現在の価格</TD><TD><B>" +
                            price + " 円</B></TD><TD>残り時間</TD><TD>45&nbsp;分</TD></HTML>"))));
  }};
  std::string price = "12,000";
  FakeClock clock{MakeLocalTime(2026, 12, 6, 10, 0, 30)};
  Program program{clock};
  UrlSink browser;
  bool tray = true;  // a desktop with a notification area, so "TaskTray" hides the window
  int removals = 0;
};

// The desktop runs reach "TaskTray" by the Tab order; what they do not reach is checked here.
TEST_F(ProgramTest, TimerAndIdEdits) {
  QTimer* timer = Control<QTimer>(window(), "Timer1");
  window().show();
  QTest::qWait(600);
  window().SetTimerEnabled(true);
  EXPECT_LT(timer->remainingTime(), 900);
  state().status = state().lastPrice = u"1 円";
  state().alert = true;
  QTest::keyClicks(Id(), QStringLiteral("9"));
  EXPECT_EQ(state().status + state().lastPrice, u"");
  EXPECT_FALSE(state().alert);
}

// Without a notification area the window is an ordinary one whose status line (whole on hover)
// and title carry the status, bounded: a page can make it huge.
TEST_F(ProgramTest, WithoutANotificationAreaTheWindowShowsTheStatus) {
  tray = false;
  window().show();
  QLabel* line = Control<QLabel>(window(), "Label2");
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  EXPECT_TRUE(window().isVisible() && window().windowType() == Qt::Window &&
              window().windowTitle() == "Lotwarden - Please input AuctionID" && line->isVisible() &&
              line->text() == "Please input AuctionID" && line->toolTip().isEmpty());
  for (const std::u16string& status :
       {u"x" + std::u16string(11'000'000, u'価'), std::u16string(254, u'x') + u"\U0001F600z"}) {
    window().ShowStatus(status);
    const QString title = window().windowTitle();
    EXPECT_EQ(title.size(), 12 + MainWindow::kTitleStatusLength - (status.size() < 300 ? 1 : 0));
    EXPECT_TRUE(title.startsWith(QStringLiteral("Lotwarden - x")) && title.endsWith(QChar(0x2026)));
    EXPECT_FALSE(title.at(title.size() - 2).isHighSurrogate());
    EXPECT_TRUE(line->text().endsWith(QChar(0x2026)) &&
                line->fontMetrics().horizontalAdvance(line->text()) <= line->width());
    EXPECT_TRUE(line->toolTip().toStdU16String() == status &&
                line->accessibleName() == line->toolTip());
  }
  // It follows the area: hidden, as "TaskTray" asked, while there is one; shown in window mode
  // while there is none; until "Config." asks for the window.
  for (const bool area : {true, false, true}) {
    tray = area;
    window().NotificationAreaChanged(area);
    EXPECT_EQ(window().windowType(), area ? Qt::Tool : Qt::Window);
    EXPECT_EQ(window().size(), area ? QSize(132, 102) : QSize(240, 124));
    EXPECT_TRUE(window().isVisible() == !area && line->isVisible() == !area) << area;
  }
  Run("config");
  window().NotificationAreaChanged(true);
  EXPECT_TRUE(window().isVisible() && !line->isVisible());
}

// The menu's commands, and the tray's mouse actions reaching theirs.
TEST_F(ProgramTest, MenuCommandsAndMouseActions) {
  QString asked;
  QTimer::singleShot(0, [&asked] {  // runs inside the modal box's own loop
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    asked = box->windowTitle() + ": " + box->text();
    box->button(QMessageBox::Ok)->click();
  });
  Run("open_url");
  EXPECT_EQ(asked, QStringLiteral("Lotwarden: Please input AuctionID"));
  Id()->setText(QStringLiteral("b12 34"));
  Run("Open_WatchList");
  Run("open_url");
  EXPECT_EQ(browser.urls, (std::vector<QByteArray>{
                              "http://page.auctions.yahoo.co.jp/jp/show/mystatus?select=watchlist",
                              "http://page.auctions.yahoo.co.jp/jp/auction/b12%2034"}));
  // "ClipBoard": text (the same ID too) is the ID, fetched at once; no text does nothing.
  QClipboard& clipboard = *QGuiApplication::clipboard();
  for (const size_t fetches : {1u, 2u}) {
    state().status = u"100 円";
    clipboard.setText(QStringLiteral("b99 \n"));
    Run("GetIDfromClipBoard");
    EXPECT_TRUE(Id()->text() == QStringLiteral("b99 \n") && state().status.empty());
    ASSERT_TRUE(Fetched(fetches));
  }
  EXPECT_EQ(server.requests[1],
            "GET http://page.auctions.yahoo.co.jp/jp/auction/b99%20%0A HTTP/1.1");
  clipboard.clear();
  Run("GetIDfromClipBoard");
  clipboard.setImage(QImage(4, 4, QImage::Format_RGB32));
  Run("GetIDfromClipBoard");
  EXPECT_FALSE(state().status.empty());
  EXPECT_EQ(server.requests.size(), 2u);
  // The right press opens the menu; "End" and the close box take the icon away, status 0.
  QTimer::singleShot(100, [&] {
    Run("config");
    window().popupMenu()->close();
  });
  program.OnTrayMouse(TrayMouse::kRightPress);
  EXPECT_TRUE(window().isVisible());
  for (const bool closeBox : {false, true}) {
    QTimer::singleShot(0, [&] { closeBox ? (void)window().close() : Run("End"); });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    window().show();
  }
  EXPECT_EQ(removals, 2);
}

// The desktop's notification service as the test's own, on the test's private session bus:
// it counts and answers the calls and sends the reports a desktop would.
class NotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  NotificationServer()
      : bus_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "server")) {
    bus_.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
    bus_.registerService(kName);
  }
  ~NotificationServer() override { QDBusConnection::disconnectFromBus("server"); }
  void Leave() { bus_.unregisterService(kName); }
  const QString kName = QStringLiteral("org.freedesktop.Notifications");
  // "summary>replaced" for each Notify, "close:N" for each CloseNotification.
  std::vector<QString> calls;
  QVariantList lastNotify;

 public slots:
  uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints,
              int expire) {
    calls.push_back(summary + ">" + QString::number(replaces));
    lastNotify = {app, icon, body, actions, hints, expire};
    return replaces != 0 ? replaces : ++last_;
  }
  void CloseNotification(uint id) { calls.push_back("close:" + QString::number(id)); }

 signals:
  void ActionInvoked(uint id, const QString& action);
  void NotificationClosed(uint id, uint reason);

 private:
  QDBusConnection bus_;
  uint last_ = 40;
};

class WindowModeTest : public ProgramTest {
 protected:
  WindowModeTest() { tray = false; }
  // A fetch, as "TaskTray" starts it, answered with this price.
  void Fetch(const char* bid) {
    price = bid;
    const size_t count = server.requests.size() + 1;
    QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
    ASSERT_TRUE(Fetched(count));
  }
  // The calls the service got by now, once they have settled.
  std::vector<QString> Calls(size_t count) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return notifications.calls.size() >= count; }, 5000));
    QTest::qWait(100);
    return notifications.calls;
  }
  NotificationServer notifications;
};

int warnings = 0;
void CountWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtWarningMsg && text.contains(QLatin1String("notifications"))) ++warnings;
}

// Each price change in window mode is one notification through the desktop's service, in place
// of the last, named as the desktop entry; its click and its dismissal come back.
TEST_F(WindowModeTest, APriceChangeIsOneNotificationInPlaceOfTheLast) {
  window().show();
  Id()->setText(QStringLiteral("b1"));
  for (const char* price : {"12,000", "12,000", "13,000"})
    Fetch(price);
  EXPECT_EQ(Calls(2), (std::vector<QString>{"12,000 円/残り45分>0", "13,000 円/残り45分>41"}));
  EXPECT_EQ(notifications.lastNotify,
            (QVariantList{"Lotwarden", "lotwarden", "", QStringList{"default", "Open URL"},
                          QVariantMap{{"desktop-entry", "io.github.lotwarden.lotwarden"}}, -1}));
  // A click on it opens the page once; a dismissal acknowledges too.
  emit notifications.ActionInvoked(41, QStringLiteral("default"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !browser.urls.empty(); }));
  QTest::qWait(100);
  EXPECT_EQ(browser.urls,
            std::vector<QByteArray>{"http://page.auctions.yahoo.co.jp/jp/auction/b1"});
  EXPECT_FALSE(state().alert);
  Fetch("15,000");  // a new one: the clicked one is gone
  EXPECT_EQ(Calls(3).back(), "15,000 円/残り45分>0");
  EXPECT_EQ(notifications.calls.size(), 3u);
  emit notifications.NotificationClosed(42, 2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !state().alert; }));
  // No service: the window carries on, and says so once.
  notifications.Leave();
  qInstallMessageHandler(CountWarnings);
  for (const char* price : {"16,000", "17,000"})
    Fetch(price);
  QTest::qWait(200);
  qInstallMessageHandler(nullptr);
  EXPECT_EQ(warnings, 1);
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Requests must reach the test's proxy, whatever the machine's settings; local time is not UTC.
  for (const char* name : {"no_proxy", "NO_PROXY", "HTTP_PROXY"})
    unsetenv(name);
  setenv("TZ", "JST-9", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "qt_test.moc"
