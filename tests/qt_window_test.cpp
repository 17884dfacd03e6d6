// The main window through Qt: its controls, their geometry and limits, its events routed to
// the monitor, and the whole program against a local HTTP server reached as the proxy.
#include <gtest/gtest.h>
#include <time.h>

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "monitor/monitor.h"
#include "tests/fakes.h"
#include "window/main_window.h"
#include "window/program.h"
#include "window/system_clock.h"

namespace lotwarden {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using testing::EucJp;
using testing::FakeClock;
using testing::FakeTransfer;
using testing::FakeTray;

// A control by object name; throws (and so fails the test) when there is none.
template <typename T>
T* Control(QWidget& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromLatin1(name));
  if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
  return control;
}

// A member of a control array by name and index.
template <typename T>
T* Member(QWidget& window, const char* name, int index) {
  for (T* control : window.findChildren<T*>(QString::fromLatin1(name))) {
    if (control->property("index").toInt() == index) return control;
  }
  throw std::runtime_error(std::string("no control ") + name + "(" + std::to_string(index) + ")");
}

QWidget* Find(QWidget& window, const char* name, int index) {
  return index < 0 ? Control<QWidget>(window, name) : Member<QWidget>(window, name, index);
}

std::string Name(QWidget* widget) {
  std::string name = widget->objectName().toStdString();
  const QVariant index = widget->property("index");
  if (index.isValid()) name += "(" + std::to_string(index.toInt()) + ")";
  return name;
}

// The text a control shows at start, whatever its kind.
QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return QString();
}

LocalSeconds At(int hour, int minute, int second) {
  return MakeLocalTime(2026, 12, 6, hour, minute, second);
}

TEST(MainWindow, EveryControlHasItsKindPlaceAndStartValue) {
  MainWindow window;
  struct Case {
    const char* name;
    int index;  // -1: not an array member
    const char* kind;
    QRect geometry;  // device-independent pixels
    const char* text;
    int checked;  // -1: not a check box
  };
  const Case cases[] = {
      {"Label0", 0, "QLabel", {0, 4, 29, 18}, "ID", -1},
      {"A_ID", -1, "QLineEdit", {32, 0, 89, 18}, "", -1},
      {"Label0", 1, "QLabel", {1, 24, 27, 12}, "Time", -1},
      {"Slider1", -1, "QSlider", {32, 24, 49, 17}, "", -1},
      {"int_time", -1, "QLabel", {80, 24, 17, 17}, "5", -1},
      {"Label0", 2, "QLabel", {104, 24, 20, 12}, "Min.", -1},
      {"Check1", 0, "QCheckBox", {8, 48, 17, 17}, "Check1", 1},
      {"Label0", 3, "QLabel", {27, 51, 81, 17}, "Current Bid", -1},
      {"Check1", 1, "QCheckBox", {8, 64, 17, 17}, "Check1", 1},
      {"Label0", 4, "QLabel", {27, 67, 57, 17}, "Time Left", -1},
      {"Check1", 2, "QCheckBox", {8, 80, 17, 17}, "Check1", 0},
      {"Label0", 5, "QLabel", {27, 83, 41, 17}, "Title", -1},
      {"StayInTaskBar", -1, "QPushButton", {64, 80, 65, 17}, "TaskTray", -1},
      {"Label2", -1, "QLabel", {8, 168, 49, 17}, "", -1},
      {"Label3", -1, "QLabel", {80, 168, 49, 17}, "", -1},
  };
  for (const Case& c : cases) {
    QWidget* control = Find(window, c.name, c.index);
    SCOPED_TRACE(Name(control));
    EXPECT_STREQ(control->metaObject()->className(), c.kind);
    EXPECT_EQ(control->parentWidget(), &window);
    EXPECT_EQ(control->geometry(), c.geometry);
    EXPECT_EQ(TextOf(control).toStdString(), c.text);
    if (c.checked >= 0) {
      EXPECT_EQ(qobject_cast<QCheckBox*>(control)->isChecked(), c.checked == 1);
    }
  }
  EXPECT_EQ(window.findChildren<QLabel*>(QStringLiteral("Label0")).size(), 6);
  EXPECT_EQ(window.findChildren<QCheckBox*>(QStringLiteral("Check1")).size(), 3);
  // The status and current-bid labels lie wholly below the client area.
  EXPECT_GE(Control<QLabel>(window, "Label2")->y(), window.height());
  EXPECT_GE(Control<QLabel>(window, "Label3")->y(), window.height());
  // The interface reads the same start values.
  EXPECT_EQ(window.AuctionId(), u"");
  EXPECT_EQ(window.SliderValue(), 5);
  EXPECT_TRUE(window.IsChecked(0));
  EXPECT_TRUE(window.IsChecked(1));
  EXPECT_FALSE(window.IsChecked(2));
}

TEST(MainWindow, IsAFixedToolWindowWithOnlyACloseBox) {
  MainWindow window;
  EXPECT_EQ(window.objectName(), QStringLiteral("clock"));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Lotwarden"));
  EXPECT_EQ(window.size(), QSize(132, 102));
  EXPECT_EQ(window.minimumSize(), QSize(132, 102));
  EXPECT_EQ(window.maximumSize(), QSize(132, 102));
  const Qt::WindowFlags flags = window.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);  // no taskbar button
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(window.findChildren<QMenuBar*>().isEmpty());
  EXPECT_EQ(Control<QLineEdit>(window, "A_ID")->maxLength(), std::numeric_limits<int>::max());
  const QTimer* timer = Control<QTimer>(window, "Timer1");
  EXPECT_EQ(timer->interval(), 1000);
  EXPECT_FALSE(timer->isSingleShot());
}

TEST(MainWindow, TabWalksTheControlsInOrderStartingInTheIdBox) {
  MainWindow window;
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_EQ(Name(QApplication::focusWidget()), "A_ID");
  const std::vector<std::string> expected = {"Slider1",   "Check1(0)",     "Check1(1)",
                                             "Check1(2)", "StayInTaskBar", "A_ID"};
  for (const std::string& next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(Name(QApplication::focusWidget()), next);
  }
}

TEST(MainWindow, SliderSettings) {
  MainWindow window;
  const QSlider* slider = Control<QSlider>(window, "Slider1");
  EXPECT_EQ(slider->orientation(), Qt::Horizontal);
  EXPECT_EQ(slider->minimum(), 1);
  EXPECT_EQ(slider->maximum(), 30);
  EXPECT_EQ(slider->value(), 5);
  EXPECT_EQ(slider->singleStep(), 1);
  EXPECT_EQ(slider->pageStep(), 5);
  EXPECT_EQ(slider->tickPosition(), QSlider::TicksBelow);
  EXPECT_EQ(slider->tickInterval(), 10);
}

TEST(MainWindow, SliderKeysStayInRangeAndTheReadOutFollows) {
  MainWindow window;
  auto* slider = Control<QSlider>(window, "Slider1");
  const QLabel* readOut = Control<QLabel>(window, "int_time");
  struct Case {
    int from;
    Qt::Key key;
    int to;
  };
  const Case cases[] = {
      {5, Qt::Key_Right, 6},    {5, Qt::Key_Left, 4},     {5, Qt::Key_Up, 6},
      {5, Qt::Key_Down, 4},     {5, Qt::Key_PageUp, 10},  {12, Qt::Key_PageDown, 7},
      {2, Qt::Key_PageDown, 1}, {28, Qt::Key_PageUp, 30}, {1, Qt::Key_Left, 1},
      {1, Qt::Key_Down, 1},     {30, Qt::Key_Right, 30},  {30, Qt::Key_Up, 30},
      {17, Qt::Key_Home, 1},    {17, Qt::Key_End, 30},    {1, Qt::Key_PageDown, 1},
      {30, Qt::Key_PageUp, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " key " + std::to_string(c.key));
    window.SetSliderValue(c.from);
    ASSERT_EQ(slider->value(), c.from);
    QTest::keyClick(slider, c.key);
    EXPECT_EQ(window.SliderValue(), c.to);
    EXPECT_EQ(readOut->text(), QString::number(c.to));
  }
}

TEST(MainWindow, ProgramRequestsOutsideTheRangeTakeTheNearerEnd) {
  MainWindow window;
  const QLabel* readOut = Control<QLabel>(window, "int_time");
  struct Case {
    int request, value;
  };
  const Case cases[] = {{12, 12}, {0, 1}, {-3, 1}, {31, 30}, {1000, 30}, {1, 1}, {30, 30}, {7, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    window.SetSliderValue(c.request);
    EXPECT_EQ(window.SliderValue(), c.value);
    EXPECT_EQ(readOut->text(), QString::number(c.value));
  }
}

TEST(MainWindow, CaptionsAreKeptAsPlainText) {
  MainWindow window;
  const std::u16string status = u"<b>12,000 円</b>/残り45分/&amp;";
  window.SetStatusCaption(status);
  window.SetCurrentBidCaption(u"1 <i>円</i>");
  EXPECT_EQ(window.StatusCaption(), status);
  EXPECT_EQ(window.CurrentBidCaption(), u"1 <i>円</i>");
  EXPECT_EQ(Control<QLabel>(window, "Label2")->textFormat(), Qt::PlainText);
  EXPECT_EQ(Control<QLabel>(window, "Label3")->textFormat(), Qt::PlainText);
}

TEST(MainWindow, AnIdOfAnyLengthIsKept) {
  MainWindow window;
  const QString id(40000, QLatin1Char('7'));
  Control<QLineEdit>(window, "A_ID")->setText(id);
  EXPECT_EQ(window.AuctionId().size(), 40000u);
}

TEST(MainWindow, SwitchingTheRunningTimerOnKeepsItsPhase) {
  MainWindow window;
  const QTimer* timer = Control<QTimer>(window, "Timer1");
  window.SetTimerEnabled(true);
  ASSERT_TRUE(timer->isActive());
  QTest::qWait(600);
  // Repeated switching on (as by pointer movements) must not keep postponing the tick.
  window.SetTimerEnabled(true);
  EXPECT_TRUE(timer->isActive());
  EXPECT_LT(timer->remainingTime(), 900);
  window.SetTimerEnabled(false);
  EXPECT_FALSE(timer->isActive());
}

TEST(MainWindow, CloseBoxEndsTheEventLoopWithExitCodeZero) {
  MainWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTimer guard;  // ends the loop with another code if closing does not
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  guard.start(3000);
  QTimer::singleShot(0, &window, [&window] { window.close(); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(window.isVisible());
}

// Receives the URLs that would go to the browser.
class UrlSink : public QObject {
  Q_OBJECT

 public:
  UrlSink() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
  ~UrlSink() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
  std::vector<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

TEST(MainWindow, OpenUrlOpensTheItemPageOfTheTypedId) {
  MainWindow window;
  UrlSink sink;
  Control<QLineEdit>(window, "A_ID")->setText(QStringLiteral("x1234 5"));
  window.OpenUrl();
  ASSERT_EQ(sink.urls.size(), 1u);
  // What the browser receives: the ID appended as typed, percent-encoded.
  EXPECT_EQ(sink.urls[0].toEncoded(),
            QByteArray("http://page.auctions.yahoo.co.jp/jp/auction/x1234%205"));
}

TEST(MainWindow, OpenUrlWithoutAnIdAsksForOne) {
  MainWindow window;
  UrlSink sink;
  QString text, title;
  QMessageBox::StandardButtons buttons;
  QTimer closer;  // answers the modal box as soon as it is up
  QObject::connect(&closer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    text = box->text();
    title = box->windowTitle();
    buttons = box->standardButtons();
    box->button(QMessageBox::Ok)->click();
  });
  closer.start(10);
  window.OpenUrl();
  closer.stop();
  EXPECT_EQ(text, QStringLiteral("Please input AuctionID"));
  EXPECT_EQ(title, QStringLiteral("Lotwarden"));
  EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_TRUE(sink.urls.empty());
}

TEST(SystemClock, GivesTheLocalDateAndTime) {
  const SystemClock clock;
  const time_t before = time(nullptr);
  const LocalSeconds now = clock.Now();
  const time_t after = time(nullptr);
  tm parts{};
  localtime_r(&before, &parts);
  const LocalSeconds low = MakeLocalTime(
      parts.tm_year + 1900, static_cast<unsigned>(parts.tm_mon + 1),
      static_cast<unsigned>(parts.tm_mday), parts.tm_hour, parts.tm_min, parts.tm_sec);
  localtime_r(&after, &parts);
  const LocalSeconds high = MakeLocalTime(
      parts.tm_year + 1900, static_cast<unsigned>(parts.tm_mon + 1),
      static_cast<unsigned>(parts.tm_mday), parts.tm_hour, parts.tm_min, parts.tm_sec);
  EXPECT_LE(low, now);
  EXPECT_LE(now, high);
}

// The monitor's tray steps, recording whether the window was already on screen.
class WatchingTray : public FakeTray {
 public:
  explicit WatchingTray(const QWidget& window) : window_(window) {}
  void AddTrayIcon(const std::u16string& tooltip) override {
    const QWindow* handle = window_.windowHandle();
    shownAtAdd = handle != nullptr && handle->isExposed();
    FakeTray::AddTrayIcon(tooltip);
  }
  bool shownAtAdd = true;

 private:
  const QWidget& window_;
};

TEST(MainWindowEvents, LoadRunsTheStartStepsOnceBeforeTheFirstShow) {
  MainWindow window;
  FakeTransfer transfer;
  WatchingTray tray(window);
  FakeClock clock(At(10, 0, 30));
  Monitor monitor(window, transfer, tray, clock);
  window.AttachMonitor(&monitor);
  const QTimer* timer = Control<QTimer>(window, "Timer1");
  EXPECT_FALSE(timer->isActive());
  EXPECT_TRUE(tray.calls.empty());

  window.show();
  EXPECT_EQ(tray.calls, std::vector<std::u16string>{u"add:"});
  EXPECT_FALSE(tray.shownAtAdd);
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(monitor.state().NextCheckText(), u"10:05");

  window.hide();
  window.show();
  EXPECT_EQ(tray.calls.size(), 1u);
  window.AttachMonitor(nullptr);
}

TEST(MainWindowEvents, TransferOutcomesReachTheMonitor) {
  MainWindow window;
  FakeTransfer transfer;
  FakeTray tray;
  FakeClock clock(At(10, 0, 30));
  Monitor monitor(window, transfer, tray, clock);
  window.AttachMonitor(&monitor);
  window.Load();
  Control<QLineEdit>(window, "A_ID")->setText(QStringLiteral("x1"));
  monitor.StartFetch();
  ASSERT_EQ(transfer.urls.size(), 1u);
  EXPECT_FALSE(Control<QTimer>(window, "Timer1")->isActive());
  window.TransferReported(kTransferError, "");
  EXPECT_EQ(window.StatusCaption(), u"net error");
  EXPECT_FALSE(monitor.state().busy);
  EXPECT_TRUE(Control<QTimer>(window, "Timer1")->isActive());
  window.AttachMonitor(nullptr);
}

// A one-page web server that also serves as the user's HTTP proxy: it records each request
// line and answers every request with the same body.
class PageServer {
 public:
  PageServer() {
    if (!server_.listen(QHostAddress::LocalHost)) throw std::runtime_error("listen");
    QObject::connect(&server_, &QTcpServer::newConnection, [this] { Accept(); });
  }
  quint16 port() const { return server_.serverPort(); }
  std::string body;
  std::vector<std::string> requestLines;

 private:
  void Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
      auto buffer = std::make_shared<QByteArray>();
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
        buffer->append(socket->readAll());
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0) return;
        requestLines.push_back(buffer->left(buffer->indexOf("\r\n")).toStdString());
        buffer->clear();
        const QByteArray head =
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=EUC-JP\r\n"
            "Content-Length: " +
            QByteArray::number(static_cast<qsizetype>(body.size())) +
            "\r\nConnection: close\r\n\r\n";
        socket->write(head);
        socket->write(body.data(), static_cast<qint64>(body.size()));
        socket->disconnectFromHost();
      });
    }
  }

  QTcpServer server_;
};

// The whole program (real window, real transfer, monitor) with a hand-set clock, fetching
// through a local server set as the proxy.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    const std::string proxy = "http://127.0.0.1:" + std::to_string(server.port());
    setenv("http_proxy", proxy.c_str(), 1);
    server.body = EucJp(
        "<HTML><HEAD><TITLE>Yahoo!オークション - Old camera</TITLE></HEAD><BODY>\n"
        "<TABLE><TR><TD>現在の価格</TD><TD><B>12,000 円</B></TD></TR>\n"
        "<TR><TD>残り時間</TD><TD>45&nbsp;分</TD></TR></TABLE>\n"
        "</BODY></HTML>\n");
    // As on a desktop with a notification area, so "TaskTray" hides the window.
    program.window().SetTray([] { return true; }, [] {});
  }

  MainWindow& window() { return program.window(); }

  // Waits until the status label shows something other than `before`.
  bool WaitForStatusChange(const std::u16string& before) {
    return QTest::qWaitFor([&] { return window().StatusCaption() != before; }, 5000);
  }

  PageServer server;
  FakeClock clock{At(10, 0, 30)};
  Program program{clock};
};

TEST_F(ProgramTest, TaskTrayFetchesTheTypedIdAtOnceAndHides) {
  window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window()));
  QTest::keyClicks(Control<QLineEdit>(window(), "A_ID"), QStringLiteral("x123456789"));
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  EXPECT_TRUE(window().isHidden());
  ASSERT_TRUE(WaitForStatusChange(u""));

  EXPECT_EQ(server.requestLines,
            std::vector<std::string>{"GET http://page.auctions.yahoo.co.jp/jp/auction/x123456789 "
                                     "HTTP/1.1"});
  EXPECT_EQ(window().StatusCaption(), u"12,000 円/残り45分");
  EXPECT_EQ(window().CurrentBidCaption(), u"12,000 円");
  EXPECT_EQ(program.monitor().state().savedInterval, 5);
  EXPECT_FALSE(program.monitor().state().busy);
  EXPECT_TRUE(Control<QTimer>(window(), "Timer1")->isActive());
}

TEST_F(ProgramTest, TheNextFetchComesOneSliderIntervalLaterThroughTheTimer) {
  window().show();
  QTest::keyClicks(Control<QLineEdit>(window(), "A_ID"), QStringLiteral("x42"));
  window().SetSliderValue(3);
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  ASSERT_TRUE(WaitForStatusChange(u""));
  ASSERT_EQ(server.requestLines.size(), 1u);
  EXPECT_EQ(program.monitor().state().NextCheckText(), u"10:03");

  // One second short of the interval: ticks run, nothing is fetched.
  clock.now = At(10, 2, 59);
  QTest::qWait(1500);
  EXPECT_EQ(server.requestLines.size(), 1u);

  clock.now = At(10, 3, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestLines.size() == 2; }, 3000));
  EXPECT_EQ(server.requestLines[1], server.requestLines[0]);
  EXPECT_EQ(program.monitor().state().NextCheckText(), u"10:06");
}

TEST_F(ProgramTest, ChangingTheIdClearsBothCaptions) {
  window().show();
  struct Case {
    const char* how;
    std::function<void(QLineEdit*)> edit;
  };
  const Case cases[] = {
      {"typed", [](QLineEdit* id) { QTest::keyClicks(id, QStringLiteral("9")); }},
      {"set by the program", [](QLineEdit* id) { id->setText(QStringLiteral("y77")); }},
      {"emptied", [](QLineEdit* id) { id->clear(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    window().SetStatusCaption(u"12,000 円/残り45分");
    window().SetCurrentBidCaption(u"12,000 円");
    program.monitor().state().alert = true;
    program.monitor().state().lastMinute = MinuteOf(At(10, 0, 0));
    c.edit(Control<QLineEdit>(window(), "A_ID"));
    EXPECT_EQ(window().StatusCaption(), u"");
    EXPECT_EQ(window().CurrentBidCaption(), u"");
    EXPECT_FALSE(program.monitor().state().alert);
    EXPECT_FALSE(program.monitor().state().lastMinute.has_value());
  }
  EXPECT_TRUE(server.requestLines.empty());
}

TEST_F(ProgramTest, TaskTrayWithoutAnIdAsksForOneAndStillHides) {
  window().show();
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  EXPECT_EQ(window().StatusCaption(), u"Please input AuctionID");
  EXPECT_TRUE(window().isHidden());
  EXPECT_TRUE(Control<QTimer>(window(), "Timer1")->isActive());
  QTest::qWait(100);
  EXPECT_TRUE(server.requestLines.empty());
}

TEST_F(ProgramTest, HidingAndShowingKeepsEveryValue) {
  window().show();
  QTest::keyClicks(Control<QLineEdit>(window(), "A_ID"), QStringLiteral("z9"));
  window().SetSliderValue(12);
  QTest::mouseClick(Member<QCheckBox>(window(), "Check1", 0), Qt::LeftButton);
  QTest::mouseClick(Member<QCheckBox>(window(), "Check1", 2), Qt::LeftButton);
  ASSERT_FALSE(window().IsChecked(0));
  ASSERT_TRUE(window().IsChecked(2));
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  ASSERT_TRUE(WaitForStatusChange(u""));
  EXPECT_TRUE(window().isHidden());
  // Price unticked, title ticked: the price is not read.
  EXPECT_EQ(window().StatusCaption(), u"/残り45分/OLD CAMERA");
  EXPECT_EQ(window().CurrentBidCaption(), u"");

  window().show();
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().AuctionId(), u"z9");
  EXPECT_EQ(window().SliderValue(), 12);
  EXPECT_EQ(Control<QLabel>(window(), "int_time")->text(), QStringLiteral("12"));
  EXPECT_FALSE(window().IsChecked(0));
  EXPECT_TRUE(window().IsChecked(1));
  EXPECT_TRUE(window().IsChecked(2));
  EXPECT_EQ(window().StatusCaption(), u"/残り45分/OLD CAMERA");
  EXPECT_TRUE(Control<QTimer>(window(), "Timer1")->isActive());
}

TEST_F(ProgramTest, WithoutANotificationAreaTheWindowStaysAndItsTitleShowsTheStatus) {
  program.window().SetTray([] { return false; }, [] {});
  window().show();
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden"));
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden - Please input AuctionID"));
  Control<QLineEdit>(window(), "A_ID")->setText(QStringLiteral("x1"));
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden"));
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  ASSERT_TRUE(WaitForStatusChange(u""));
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden - 12,000 円/残り45分"));
}

TEST_F(ProgramTest, ARefusedConnectionReadsNetError) {
  setenv("http_proxy", "http://127.0.0.1:1", 1);  // nothing listens there
  window().show();
  Control<QLineEdit>(window(), "A_ID")->setText(QStringLiteral("x1"));
  QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  ASSERT_TRUE(WaitForStatusChange(u""));
  EXPECT_EQ(window().StatusCaption(), u"net error");
  EXPECT_TRUE(server.requestLines.empty());
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Requests must reach the test's proxy, whatever the machine's settings.
  unsetenv("no_proxy");
  unsetenv("NO_PROXY");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "qt_window_test.moc"
