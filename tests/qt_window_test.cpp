// SPDX-License-Identifier: MIT
// The main window through Qt: its controls, their geometry and limits, its events routed to
// the monitor, and the whole program against a local HTTP server reached as the proxy.
#include <gtest/gtest.h>
#include <time.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "monitor/monitor.h"
#include "tests/fakes.h"
#include "tests/qt_test_support.h"
#include "window/main_window.h"
#include "window/program.h"
#include "window/system_clock.h"

namespace lotwarden {
namespace {

using namespace testing;  // lotwarden::testing

std::string Name(const QWidget* widget) {
  std::string name = widget->objectName().toStdString();
  const QVariant index = widget->property("index");
  return index.isValid() ? name + "(" + std::to_string(index.toInt()) + ")" : name;
}

LocalSeconds At(int hour, int minute, int second) {
  return MakeLocalTime(2026, 12, 6, hour, minute, second);
}

TEST(MainWindow, EveryControlHasItsKindPlaceAndStartValue) {
  MainWindow window;
  const struct Case {
    const char* name;
    int index;  // -1: not an array member
    const char* kind;
    QRect geometry;  // device-independent pixels
    QString text;    // a slider's value; " ticked" follows a ticked box's text
  } cases[] = {
      {"Label0", 0, "QLabel", {0, 4, 29, 18}, "ID"},
      {"A_ID", -1, "QLineEdit", {32, 0, 89, 18}, ""},
      {"Label0", 1, "QLabel", {1, 24, 27, 12}, "Time"},
      {"Slider1", -1, "QSlider", {32, 24, 49, 17}, "5"},
      {"int_time", -1, "QLabel", {80, 24, 17, 17}, "5"},
      {"Label0", 2, "QLabel", {104, 24, 20, 12}, "Min."},
      {"Check1", 0, "QCheckBox", {8, 48, 17, 17}, "Check1 ticked"},
      {"Label0", 3, "QLabel", {27, 51, 81, 17}, "Current Bid"},
      {"Check1", 1, "QCheckBox", {8, 64, 17, 17}, "Check1 ticked"},
      {"Label0", 4, "QLabel", {27, 67, 57, 17}, "Time Left"},
      {"Check1", 2, "QCheckBox", {8, 80, 17, 17}, "Check1"},
      {"Label0", 5, "QLabel", {27, 83, 41, 17}, "Title"},
      {"StayInTaskBar", -1, "QPushButton", {64, 80, 65, 17}, "TaskTray"},
  };
  for (const Case& c : cases) {
    QWidget* control = Control(window, c.name, c.index);
    SCOPED_TRACE(Name(control));
    EXPECT_STREQ(control->metaObject()->className(), c.kind);
    EXPECT_EQ(control->parentWidget(), &window);
    EXPECT_EQ(control->geometry(), c.geometry);
    QString text;
    if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) text = edit->text();
    if (auto* slider = qobject_cast<QSlider*>(control)) text = QString::number(slider->value());
    if (auto* button = qobject_cast<QAbstractButton*>(control))
      text = button->text() + (button->isChecked() ? " ticked" : "");
    EXPECT_EQ(text, c.text);
  }
  // A fixed-size tool window (no taskbar button) with only a close box.
  EXPECT_EQ(window.size(), QSize(132, 102));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_EQ(window.windowFlags() &
                (Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
            Qt::Tool | Qt::WindowCloseButtonHint);
  EXPECT_EQ(Control<QLineEdit>(window, "A_ID")->maxLength(), std::numeric_limits<int>::max());
  EXPECT_EQ(Control<QTimer>(window, "Timer1")->interval(), 1000);
}

TEST(MainWindow, TabWalksTheControlsInOrderStartingInTheIdBox) {
  MainWindow window;
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  std::vector<std::string> order;
  for (int i = 0; i < 7 && QApplication::focusWidget() != nullptr; ++i) {
    order.push_back(Name(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"A_ID", "Slider1", "Check1(0)", "Check1(1)",
                                             "Check1(2)", "StayInTaskBar", "A_ID"}));
}

// By keys and by the program, the slider stays within 1..30 and the read-out follows it.
TEST(MainWindow, SliderStaysInRangeAndTheReadOutFollows) {
  MainWindow window;
  auto* slider = Control<QSlider>(window, "Slider1");
  const struct Case {
    int set;
    Qt::Key key;  // 0: set by the program only
    int value;
  } cases[] = {
      {5, Qt::Key_Right, 6},     {5, Qt::Key_Left, 4},     {5, Qt::Key_PageUp, 10},
      {12, Qt::Key_PageDown, 7}, {2, Qt::Key_PageDown, 1}, {28, Qt::Key_PageUp, 30},
      {1, Qt::Key_Left, 1},      {30, Qt::Key_Right, 30},  {17, Qt::Key_Home, 1},
      {17, Qt::Key_End, 30},     {12, Qt::Key(0), 12},     {0, Qt::Key(0), 1},
      {31, Qt::Key(0), 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.set) + " key " + std::to_string(c.key));
    window.SetInterval(c.set);
    if (c.key != 0) QTest::keyClick(slider, c.key);
    EXPECT_EQ(window.Interval(), c.value);
    EXPECT_EQ(Control<QLabel>(window, "int_time")->text(), QString::number(c.value));
  }
}

// Switching the running timer on again (as pointer movements do) must not postpone its tick.
TEST(MainWindow, SwitchingTheRunningTimerOnKeepsItsPhase) {
  MainWindow window;
  const QTimer* timer = Control<QTimer>(window, "Timer1");
  window.SetTimerEnabled(true);
  QTest::qWait(600);
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
  QTimer::singleShot(0, &window, [&window] { window.close(); });
  QTimer::singleShot(3000, [] { QCoreApplication::exit(7); });  // guard
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(window.isVisible());
}

// The start steps (tray icon, timer) run once, on the first show.
TEST(MainWindow, StartStepsRunOnceOnTheFirstShow) {
  MainWindow window;
  FakeTransfer transfer;
  FakeTray tray;
  FakeClock clock(At(10, 0, 30));
  Monitor monitor(window, transfer, tray, clock);
  window.AttachMonitor(&monitor);
  const QTimer* timer = Control<QTimer>(window, "Timer1");
  EXPECT_FALSE(timer->isActive());
  EXPECT_TRUE(tray.calls.empty());
  window.show();
  EXPECT_EQ(tray.calls, std::vector<std::u16string>{u"add:"});
  EXPECT_TRUE(timer->isActive());
  window.hide();
  window.show();
  EXPECT_EQ(tray.calls.size(), 1u);
  window.AttachMonitor(nullptr);
}

TEST(SystemClock, GivesTheLocalDateAndTime) {
  const auto local = [](time_t at) {
    tm parts{};
    localtime_r(&at, &parts);
    return MakeLocalTime(parts.tm_year + 1900, static_cast<unsigned>(parts.tm_mon + 1),
                         static_cast<unsigned>(parts.tm_mday), parts.tm_hour, parts.tm_min,
                         parts.tm_sec);
  };
  const LocalSeconds low = local(time(nullptr));
  const LocalSeconds now = SystemClock().Now();
  EXPECT_LE(low, now);
  EXPECT_LE(now, local(time(nullptr)));
}

// The whole program (real window, real transfer, monitor) with a hand-set clock, fetching
// through a local server set as the proxy.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    qputenv("http_proxy", server.proxy());
    // As on a desktop with a notification area, so "TaskTray" hides the window.
    window().SetTray([] { return true; }, [] {});
  }

  MainWindow& window() { return program.window(); }
  QLineEdit* Id() { return Control<QLineEdit>(window(), "A_ID"); }
  void ClickTaskTray() {
    QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  }
  const std::u16string& Status() { return program.monitor().state().status; }
  bool WaitForStatus() {
    return QTest::qWaitFor([&] { return !Status().empty(); }, 5000);
  }

  ScriptedServer server{Answer(Response(
      "HTTP/1.1 200 OK",
      QByteArray::fromStdString(
          EucJp("<HTML><HEAD><TITLE>Yahoo!オークション - Old camera</TITLE></HEAD><BODY>\n"
                "<TABLE><TR><TD>現在の価格</TD><TD><B>12,000 円</B></TD></TR>\n"
                "<TR><TD>残り時間</TD><TD>45&nbsp;分</TD></TR></TABLE>\n</BODY></HTML>\n"))))};
  FakeClock clock{At(10, 0, 30)};
  Program program{clock};
};

// "TaskTray" fetches the typed ID at once and hides; the next fetch follows one slider interval
// later, and a refused connection reads "net error".
TEST_F(ProgramTest, TaskTrayFetchesAtOnceThenEverySliderInterval) {
  window().show();
  QTest::keyClicks(Id(), QStringLiteral("x123456789"));
  window().SetInterval(3);
  ClickTaskTray();
  EXPECT_TRUE(window().isHidden());
  ASSERT_TRUE(WaitForStatus());
  const QByteArray get = "GET http://page.auctions.yahoo.co.jp/jp/auction/x123456789 HTTP/1.1";
  ASSERT_EQ(server.requests.size(), 1u);
  EXPECT_EQ(server.requests[0].line, get);
  EXPECT_EQ(Status(), u"12,000 円/残り45分");
  EXPECT_EQ(program.monitor().state().lastPrice, u"12,000 円");

  clock.now = At(10, 2, 59);  // a second short of the next check: ticks run, nothing is fetched
  QTest::qWait(1500);
  EXPECT_EQ(server.requests.size(), 1u);
  clock.now = At(10, 3, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests.size() == 2; }, 3000));
  EXPECT_EQ(server.requests[1].line, get);

  qputenv("http_proxy", "http://127.0.0.1:1");  // nothing listens there
  clock.now = At(10, 6, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Status() == u"net error"; }, 3000));
  EXPECT_EQ(server.requests.size(), 2u);
}

TEST_F(ProgramTest, ChangingTheIdClearsTheStatusAndTheLastPrice) {
  window().show();
  MonitorState& state = program.monitor().state();
  for (const bool typed : {true, false}) {
    SCOPED_TRACE(typed ? "typed" : "set by the program");
    state.status = u"12,000 円/残り45分";
    state.lastPrice = u"12,000 円";
    state.alert = true;
    typed ? QTest::keyClicks(Id(), QStringLiteral("9")) : Id()->setText(QStringLiteral("y77"));
    EXPECT_EQ(state.status + state.lastPrice, u"");
    EXPECT_FALSE(state.alert);
  }
  EXPECT_TRUE(server.requests.empty());
}

TEST_F(ProgramTest, HidingAndShowingKeepsEveryValue) {
  // Without an ID, "TaskTray" asks for one and still hides; the timer runs on.
  window().show();
  ClickTaskTray();
  EXPECT_EQ(Status(), u"Please input AuctionID");
  EXPECT_TRUE(window().isHidden());
  EXPECT_TRUE(Control<QTimer>(window(), "Timer1")->isActive());
  QTest::qWait(100);
  EXPECT_TRUE(server.requests.empty());

  window().show();
  QTest::keyClicks(Id(), QStringLiteral("z9"));
  window().SetInterval(12);
  QTest::mouseClick(Control<QCheckBox>(window(), "Check1", 0), Qt::LeftButton);
  QTest::mouseClick(Control<QCheckBox>(window(), "Check1", 2), Qt::LeftButton);
  ClickTaskTray();
  ASSERT_TRUE(WaitForStatus());
  EXPECT_TRUE(window().isHidden());
  // Price unticked, title ticked: the boxes reach the monitor.
  EXPECT_EQ(Status(), u"/残り45分/OLD CAMERA");

  window().show();
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().AuctionId(), u"z9");
  EXPECT_EQ(window().Interval(), 12);
  EXPECT_EQ(Control<QLabel>(window(), "int_time")->text(), QStringLiteral("12"));
  const StatusFields fields = window().ChosenFields();
  EXPECT_EQ(std::tuple(fields.price, fields.timeLeft, fields.title), std::tuple(false, true, true));
  EXPECT_EQ(program.monitor().state().lastPrice, u"");
  EXPECT_TRUE(Control<QTimer>(window(), "Timer1")->isActive());
}

TEST_F(ProgramTest, WithoutANotificationAreaTheWindowStaysAndItsTitleShowsTheStatus) {
  window().SetTray([] { return false; }, [] {});
  window().show();
  ClickTaskTray();
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden - Please input AuctionID"));
  Id()->setText(QStringLiteral("x1"));
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden"));
  ClickTaskTray();
  ASSERT_TRUE(WaitForStatus());
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden - 12,000 円/残り45分"));

  // A page can make the status line megabytes long; the title keeps within its bound and
  // never holds half a character.
  const std::u16string huge = u"x" + std::u16string(11'000'000, u'価') + u"\U0001F600";
  for (const std::u16string& status : {huge, std::u16string(254, u'x') + u"\U0001F600z"}) {
    window().ShowStatus(status);
    const QString title = window().windowTitle();
    EXPECT_EQ(title.size(), 12 + MainWindow::kTitleStatusLength - (status.size() < 300 ? 1 : 0));
    EXPECT_TRUE(title.startsWith(QStringLiteral("Lotwarden - x")));
    EXPECT_TRUE(title.endsWith(QChar(0x2026)));
    EXPECT_FALSE(title.at(title.size() - 2).isHighSurrogate());
  }
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Requests must reach the test's proxy, whatever the machine's settings; local time is not UTC.
  unsetenv("no_proxy");
  unsetenv("NO_PROXY");
  setenv("TZ", "JST-9", 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
