// SPDX-License-Identifier: MIT
// The tray's Qt adapters, then the whole program through its real widgets, offscreen, against a
// scripted local server reached as the proxy, with a hand-set clock.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/fakes.h"
#include "tests/qt_test_support.h"
#include "window/program.h"

namespace lotwarden {
namespace {

using namespace testing;  // lotwarden::testing

std::set<QRgb> Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int i = 0; i < image.width() * image.height(); ++i)
    colours.insert(image.pixel(i % image.width(), i / image.width()));
  return colours;
}

// At 22 pixels (the tray's reference) and 44 (at a pixel ratio of 2): only the face's colours,
// the exact grey see-through and nothing outside the rim, hands as thick as the line, and a
// yellow face filled.
TEST(TrayAdapters, FaceRasterAndTheIconMadeFromIt) {
  constexpr QRgb kClear = 0, kOutline = 0xFF808080, kBlack = 0xFF000000;
  for (const auto& [pixels, lw] : {std::pair{22, 1}, std::pair{44, 2}}) {
    QtClockSurface surface(pixels);
    ASSERT_EQ(surface.LineWidth(), lw);
    DrawClockFace(surface, 3, 0, FaceFill::kGrey);
    const QImage icon = MaskedIconImage(surface.image(), 2.0);
    EXPECT_EQ(icon.devicePixelRatio(), 2.0);
    EXPECT_EQ(Colours(icon), (std::set<QRgb>{kClear, kOutline, kBlack}));
    const double k = pixels / 330.0, cx = 160 * k, cy = 162 * k, r = 160 * k;
    for (int i = 0; i < pixels * pixels; ++i) {
      const int x = i % pixels, y = i / pixels;
      ASSERT_TRUE(std::hypot(x + 0.5 - cx, y + 0.5 - cy) <= r + lw + 0.5 ||
                  icon.pixel(x, y) == kClear);
    }
    const auto black = [&](int x, int y, QPoint step) {  // 3:00: minute hand up, hour hand right
      int count = 0;
      for (int d = -lw - 1; d <= lw + 1; ++d)
        count += icon.pixel(QPoint(x, y) + d * step) == kBlack;
      return count;
    };
    EXPECT_EQ(black(int(cx), int(cy - r * 0.8), {1, 0}), lw);
    EXPECT_EQ(black(int(cx + r * 0.5), int(cy), {0, 1}), lw);
    EXPECT_EQ(black(int(cx + r * 0.8), int(cy), {0, 1}), 0);
    DrawClockFace(surface, 3, 0, FaceFill::kYellow);
    EXPECT_EQ(MaskedIconImage(surface.image(), 1.0).pixel(int(cx - r / 3), int(cy + r / 3)),
              0xFFFFFF00);
  }
}

// The window's icon first; then each refresh sends the cut tooltip, and a new icon only when its
// pixels changed (every change travels to the desktop on D-Bus hosts), at the tray's scale.
TEST(TrayAdapters, PresenceSendsOnlyChanges) {
  const QIcon windowIcon = ClockFaceWindowIcon();
  QtTrayPresence presence{windowIcon};
  QSystemTrayIcon& tray = *presence.trayIcon();
  presence.AddTrayIcon(u"Ready");
  EXPECT_EQ(tray.icon().cacheKey(), windowIcon.cacheKey());
  EXPECT_EQ(tray.toolTip(), QStringLiteral("Ready"));
  presence.SetIconScale(22, 1.0);
  // clang-format off
  const std::pair<FaceReading, bool> steps[] = {{{3, 0, FaceFill::kGrey}, true}, {{3, 0, FaceFill::kGrey}, false},
      {{3, 0, FaceFill::kYellow}, true}, {{3, 1, FaceFill::kYellow}, true}, {{15, 1, FaceFill::kYellow}, false}};
  // clang-format on
  for (const auto& [face, changes] : steps) {
    const qint64 key = tray.icon().cacheKey();
    presence.RefreshTrayIcon(std::u16string(100, u'x'), face);
    EXPECT_EQ(tray.icon().cacheKey() != key, changes) << face.hour << ":" << face.minute;
  }
  EXPECT_EQ(tray.icon().pixmap(QSize(22, 22)).toImage().convertToFormat(QImage::Format_ARGB32),
            MaskedIconImage(presence.raster(), 1.0));
  EXPECT_EQ(tray.toolTip(), QString(63, QLatin1Char('x')));
  for (const auto& [logical, ratio, pixels] :
       {std::tuple{22, 2.0, 44}, {24, 1.5, 36}, {0, 0.0, 22}}) {
    presence.SetIconScale(logical, ratio);  // 0: no tray to ask offscreen, the default size
    presence.RefreshTrayIcon(u"", {3, 0, FaceFill::kGrey});
    EXPECT_EQ(presence.raster().size(), QSize(pixels, pixels));
  }
}

// Events on Qt's XEmbed icon widget (seen directly, so activations are then ignored), and a
// StatusNotifierItem host's activations (where the menu's closing is the pointer's return),
// each handed over as the tray's actions once the event loop runs.
TEST(TrayAdapters, RouterMapsEventsAndActivationsToActions) {
  QSystemTrayIcon tray;
  std::vector<TrayMouse> got;
  TrayMouseRouter router{&tray, [&](TrayMouse action) { got.push_back(action); }};
  QMenu menu;
  router.WatchMenu(&menu);
  const auto take = [&] {
    EXPECT_TRUE(got.empty()) << "delivered before the event loop ran";
    QCoreApplication::processEvents();
    return std::exchange(got, {});
  };
  using A = std::vector<TrayMouse>;
  using T = TrayMouse;
  // clang-format off
  const std::pair<QSystemTrayIcon::ActivationReason, A> activations[] = {
      {QSystemTrayIcon::Trigger, {T::kMove, T::kLeftPress}}, {QSystemTrayIcon::DoubleClick, {T::kLeftDoubleClick}},
      {QSystemTrayIcon::Context, {T::kMove, T::kRightPress}}, {QSystemTrayIcon::MiddleClick, {T::kMiddle}}};
  const std::pair<Qt::MouseButton, A> buttons[] = {
      {Qt::LeftButton, {T::kLeftPress, T::kLeftRelease, T::kLeftDoubleClick}},
      {Qt::RightButton, {T::kRightPress, T::kRightRelease, T::kRightDoubleClick}},
      {Qt::MiddleButton, {T::kMiddle, T::kMiddle, T::kMiddle}}};
  // clang-format on
  for (const auto& [reason, actions] : activations) {
    emit tray.activated(reason);
    EXPECT_EQ(take(), actions) << reason;
  }
  emit menu.aboutToHide();
  EXPECT_EQ(take(), A{T::kMove});
  QWidget icon, other;
  icon.setObjectName(QStringLiteral("QSystemTrayIconSys"));
  for (const auto& [button, actions] : buttons) {
    int i = 0;
    for (const auto type :
         {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick}) {
      for (QWidget* widget : {&icon, &other}) {
        QMouseEvent event(type, QPointF(3, 3), QPointF(3, 3), button, button, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
      }
      EXPECT_EQ(take(), A{actions[i++]}) << button << " " << type;
    }
  }
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&icon, &move);
  for (const auto& [reason, actions] : activations)
    emit tray.activated(reason);
  emit menu.aboutToHide();
  EXPECT_EQ(take(), A{T::kMove});
}

// Receives the http URLs that would go to the browser.
class UrlSink : public QObject {
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
    qputenv("http_proxy", server.proxy());
    // As on a desktop with a notification area, so "TaskTray" hides the window.
    window().SetTray([] { return true; }, [this] { ++removals; });
    QGuiApplication::clipboard()->clear();
  }
  MainWindow& window() { return program.window(); }
  MonitorState& state() { return program.monitor().state(); }
  QLineEdit* Id() { return Control<QLineEdit>(window(), "A_ID"); }
  QTimer* Timer() { return Control<QTimer>(window(), "Timer1"); }
  void ClickTaskTray() {
    QTest::mouseClick(Control<QPushButton>(window(), "StayInTaskBar"), Qt::LeftButton);
  }
  bool WaitForRequests(size_t count) {
    return QTest::qWaitFor([&] { return server.requests.size() == count && !state().busy; }, 5000);
  }
  void Run(const char* entry) {
    for (QAction* action : window().popupMenu()->actions())
      if (action->objectName() == QLatin1String(entry)) return action->trigger();
    ADD_FAILURE() << "no menu entry " << entry;
  }

  ScriptedServer server{Answer(Response(
      "HTTP/1.1 200 OK",
      QByteArray::fromStdString(EucJp("<HTML><TITLE>Yahoo!オークション - Old camera</TITLE><TD>"
                                      "現在の価格</TD><TD><B>12,000 円</B></TD><TD>残り時間"
                                      "</TD><TD>45&nbsp;分</TD></HTML>"))))};
  FakeClock clock{MakeLocalTime(2026, 12, 6, 10, 0, 30)};
  Program program{clock};
  UrlSink browser;
  int removals = 0;
};

// At start the ID box has the focus and Tab walks the controls in order; only the first two
// boxes are ticked; the read-out follows the slider, kept within 1 to 30; a fixed-size tool
// window with only a close box; switching the running timer on again keeps its phase.
TEST_F(ProgramTest, ControlsStartAsDesigned) {
  window().show();
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  std::string order;
  for (int i = 0; i < 7 && QApplication::focusWidget(); ++i) {
    order += QApplication::focusWidget()->objectName().toStdString() + " ";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(order, "A_ID Slider1 Check1 Check1 Check1 StayInTaskBar A_ID ");
  const StatusFields fields = window().ChosenFields();
  EXPECT_TRUE(fields.price && fields.timeLeft && !fields.title);
  for (const auto& [set, shown] : {std::pair{12, 12}, {0, 1}, {31, 30}}) {
    window().SetInterval(set);
    EXPECT_EQ(window().Interval(), shown);
    EXPECT_EQ(Control<QLabel>(window(), "int_time")->text(), QString::number(shown));
  }
  EXPECT_EQ(window().windowFlags() &
                (Qt::WindowType_Mask | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
            Qt::Tool | Qt::WindowCloseButtonHint);
  EXPECT_EQ(window().minimumSize(), window().maximumSize());
  EXPECT_EQ(Timer()->interval(), 1000);
  QTest::qWait(600);
  window().SetTimerEnabled(true);
  EXPECT_LT(Timer()->remainingTime(), 900);
}

// "TaskTray" fetches the typed ID at once and hides; the next fetch follows one interval later;
// a refused connection reads "net error"; "Config." shows the window with every value kept; an
// edit of the ID clears the status, the last price and the alert.
TEST_F(ProgramTest, TaskTrayFetchesAtOnceThenEveryInterval) {
  window().show();
  EXPECT_EQ(state().nextCheck, MinuteOf(clock.now) + std::chrono::minutes{5});
  QTest::keyClicks(Id(), QStringLiteral("x12"));
  window().SetInterval(3);
  QTest::mouseClick(Control<QCheckBox>(window(), "Check1", 2), Qt::LeftButton);
  ClickTaskTray();
  EXPECT_TRUE(window().isHidden());
  ASSERT_TRUE(WaitForRequests(1));
  EXPECT_EQ(server.requests[0].line,
            "GET http://page.auctions.yahoo.co.jp/jp/auction/x12 HTTP/1.1");
  EXPECT_EQ(state().status, u"12,000 円/残り45分/OLD CAMERA");
  clock.now = MakeLocalTime(2026, 12, 6, 10, 2, 59);  // ticks run; nothing is due yet
  QTest::qWait(1500);
  clock.now = MakeLocalTime(2026, 12, 6, 10, 3, 0);
  ASSERT_TRUE(WaitForRequests(2));
  qputenv("http_proxy", "http://127.0.0.1:1");  // nothing listens there
  clock.now = MakeLocalTime(2026, 12, 6, 10, 6, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return state().status == u"net error"; }, 3000));
  Run("config");
  Run("config");  // a shown window stays shown
  EXPECT_TRUE(window().isVisible() && Timer()->isActive() && window().ChosenFields().title);
  EXPECT_EQ(Id()->text() + Control<QLabel>(window(), "int_time")->text(), QStringLiteral("x123"));
  for (const bool typed : {true, false}) {
    state().alert = true;
    typed ? QTest::keyClicks(Id(), QStringLiteral("9")) : Id()->setText(QStringLiteral("y7"));
    EXPECT_EQ(state().status + state().lastPrice, u"");
    EXPECT_FALSE(state().alert);
  }
}

// Without a notification area the window stays and its title carries the status, bounded,
// since a page can make the status megabytes long.
TEST_F(ProgramTest, WithoutANotificationAreaTheTitleShowsTheStatus) {
  window().SetTray([] { return false; }, [] {});
  window().show();
  ClickTaskTray();
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden - Please input AuctionID"));
  Id()->setText(QStringLiteral("x1"));
  EXPECT_EQ(window().windowTitle(), QStringLiteral("Lotwarden"));
  for (const std::u16string& status :
       {u"x" + std::u16string(11'000'000, u'価'), std::u16string(254, u'x') + u"\U0001F600z"}) {
    window().ShowStatus(status);
    const QString title = window().windowTitle();
    EXPECT_EQ(title.size(), 12 + MainWindow::kTitleStatusLength - (status.size() < 300 ? 1 : 0));
    EXPECT_TRUE(title.startsWith(QStringLiteral("Lotwarden - x")) && title.endsWith(QChar(0x2026)));
    EXPECT_FALSE(title.at(title.size() - 2).isHighSurrogate());  // never half a character
  }
}

// The menu's five entries, each doing its command; the tray's mouse actions reach theirs.
TEST_F(ProgramTest, MenuCommandsAndMouseActions) {
  QStringList entries;
  for (const QAction* action : window().popupMenu()->actions())
    entries << action->objectName() + "=" + action->text();
  EXPECT_EQ(entries.join('|'),
            QStringLiteral("Open_WatchList=Open WatchList|open_url=Open URL|"
                           "GetIDfromClipBoard=ClipBoard|config=Config.|End=End"));
  QString asked;
  QTimer::singleShot(0, [&asked] {  // runs inside the modal box's own loop
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      asked = box->windowTitle() + ": " + box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
  Run("open_url");
  EXPECT_EQ(asked, QStringLiteral("Lotwarden: Please input AuctionID"));
  Id()->setText(QStringLiteral("b12 34"));
  Run("Open_WatchList");
  program.OnTrayMouse(TrayMouse::kLeftDoubleClick);
  EXPECT_EQ(browser.urls, (std::vector<QByteArray>{
                              "http://page.auctions.yahoo.co.jp/jp/show/mystatus?select=watchlist",
                              "http://page.auctions.yahoo.co.jp/jp/auction/b12%2034"}));
  // "ClipBoard": text becomes the ID whole (the same ID too), clears the status and is fetched
  // at once; no text (nothing, or a picture) does nothing at all.
  for (const size_t fetches : {1u, 2u}) {
    state().status = u"100 円";
    QGuiApplication::clipboard()->setText(QStringLiteral("b99 \n"));
    Run("GetIDfromClipBoard");
    EXPECT_EQ(Id()->text(), QStringLiteral("b99 \n"));
    EXPECT_TRUE(state().status.empty());
    ASSERT_TRUE(WaitForRequests(fetches));
  }
  EXPECT_EQ(server.requests[1].line,
            "GET http://page.auctions.yahoo.co.jp/jp/auction/b99%20%0A HTTP/1.1");
  for (const bool empty : {true, false}) {
    empty ? QGuiApplication::clipboard()->clear()
          : QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    Run("GetIDfromClipBoard");
  }
  EXPECT_EQ(Id()->text(), QStringLiteral("b99 \n"));
  EXPECT_FALSE(state().status.empty());
  EXPECT_EQ(server.requests.size(), 2u);
  // The pointer over the icon starts the tick; a right double-click shows the window; the right
  // press opens the menu modally with the tick stopped, and it stays stopped after.
  Timer()->stop();
  program.OnTrayMouse(TrayMouse::kMove);
  EXPECT_TRUE(Timer()->isActive());
  program.OnTrayMouse(TrayMouse::kRightDoubleClick);
  EXPECT_TRUE(window().isVisible());
  bool menuWasOpen = false;
  QTimer::singleShot(100, [&] {
    menuWasOpen = window().popupMenu()->isVisible();
    window().popupMenu()->close();
  });
  program.OnTrayMouse(TrayMouse::kRightPress);
  EXPECT_TRUE(menuWasOpen);
  EXPECT_FALSE(Timer()->isActive());
  // "End" and the close box take the icon away and leave the event loop with status 0.
  for (const bool closeBox : {false, true}) {
    window().show();
    QTimer::singleShot(0, [&] { closeBox ? (void)window().close() : Run("End"); });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(window().isHidden());
  }
  EXPECT_EQ(removals, 2);
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

#include "qt_window_test.moc"
