// SPDX-License-Identifier: MIT
// The popup menu's commands through the real window, and the tray's mouse actions through
// the whole program.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <string>
#include <utility>
#include <vector>

#include "monitor/monitor.h"
#include "tests/fakes.h"
#include "tests/qt_test_support.h"
#include "window/main_window.h"
#include "window/program.h"

namespace lotwarden {
namespace {

using namespace testing;  // lotwarden::testing

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

// The window with a monitor whose requests are only recorded.
class MenuTest : public ::testing::Test {
 protected:
  MenuTest() {
    window.AttachMonitor(&monitor);
    window.SetTray([] { return true; }, [this] { ++removals; });
    window.Load();
    QGuiApplication::clipboard()->clear();
  }
  ~MenuTest() override { window.AttachMonitor(nullptr); }

  void Run(const char* entry) {
    for (QAction* action : window.popupMenu()->actions())
      if (action->objectName() == QLatin1String(entry)) return action->trigger();
    ADD_FAILURE() << "no menu entry " << entry;
  }
  QLineEdit* Id() { return Control<QLineEdit>(window, "A_ID"); }
  FakeClock clock{MakeLocalTime(2026, 12, 7, 10, 0, 30)};
  FakeTransfer transfer;
  FakeTray tray;
  MainWindow window;
  Monitor monitor{window, transfer, tray, clock};
  UrlSink browser;
  int removals = 0;
};

TEST_F(MenuTest, HasItsFiveEntriesInOrder) {
  QStringList entries;
  for (const QAction* action : window.popupMenu()->actions())
    entries << action->objectName() + "=" + action->text();
  EXPECT_EQ(entries.join('|').toStdString(),
            "Open_WatchList=Open WatchList|open_url=Open URL|GetIDfromClipBoard=ClipBoard|"
            "config=Config.|End=End");
}

// The browser gets the exact URLs; without an ID, "Open URL" asks for one instead.
TEST_F(MenuTest, OpenEntriesSendTheExactUrlsToTheBrowser) {
  QString asked;
  QTimer::singleShot(0, &window, [&asked] {  // runs inside the modal box's own loop
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      asked = box->windowTitle() + ": " + box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
  Run("open_url");
  EXPECT_EQ(asked.toStdString(), "Lotwarden: Please input AuctionID");
  EXPECT_TRUE(browser.urls.empty());

  Id()->setText(QStringLiteral("b12 34"));
  Run("Open_WatchList");
  Run("open_url");
  EXPECT_EQ(browser.urls, (std::vector<QByteArray>{
                              "http://page.auctions.yahoo.co.jp/jp/show/mystatus?select=watchlist",
                              "http://page.auctions.yahoo.co.jp/jp/auction/b12%2034"}));
  EXPECT_TRUE(transfer.urls.empty());
}

TEST_F(MenuTest, ClipBoardTextBecomesTheIdAndIsFetchedAtOnce) {
  const auto mark = [this] {  // what an ID change clears
    monitor.state().status = u"100 円/残り3日";
    monitor.state().lastPrice = u"100 円";
    monitor.state().alert = true;
  };
  const std::pair<QString, QString> cases[] = {
      {"old1", "b99 \n"},    // whole and unchanged, trailing white space included
      {"", "オークション"},  // any text at all
      {"b5", "b5"},          // the same ID: the edit's steps still run
  };
  for (const auto& [before, text] : cases) {
    SCOPED_TRACE(text.toStdString());
    Id()->setText(before);
    transfer.urls.clear();
    monitor.state().busy = false;
    mark();
    QGuiApplication::clipboard()->setText(text);
    Run("GetIDfromClipBoard");
    EXPECT_EQ(Id()->text(), text);
    EXPECT_EQ(monitor.state().status + monitor.state().lastPrice, u"");
    EXPECT_FALSE(monitor.state().alert);
    EXPECT_EQ(transfer.urls,
              std::vector<std::u16string>{u"http://page.auctions.yahoo.co.jp/jp/auction/" +
                                          text.toStdU16String()});
  }
  // No text on the clipboard (empty, or a picture): nothing at all happens.
  mark();
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::red);
  for (const bool empty : {true, false}) {
    SCOPED_TRACE(empty ? "empty" : "a picture");
    empty ? QGuiApplication::clipboard()->clear() : QGuiApplication::clipboard()->setImage(picture);
    Run("GetIDfromClipBoard");
    EXPECT_EQ(Id()->text(), QStringLiteral("b5"));
    EXPECT_EQ(monitor.state().status + u"|" + monitor.state().lastPrice, u"100 円/残り3日|100 円");
    EXPECT_TRUE(monitor.state().alert);
    EXPECT_EQ(transfer.urls.size(), 1u);
  }
  // While a request is outstanding (b5's) the fetch reports "Maybe error" instead.
  QGuiApplication::clipboard()->setText(QStringLiteral("b6"));
  Run("GetIDfromClipBoard");
  EXPECT_EQ(monitor.state().status, u"Maybe error");
  EXPECT_EQ(transfer.urls.size(), 1u);
}

// "Config." shows the window and keeps a shown one shown; "End" takes the icon away and
// leaves the event loop with status 0.
TEST_F(MenuTest, ConfigShowsTheWindowAndEndEndsTheProgram) {
  ASSERT_TRUE(window.isHidden());
  for (int i = 0; i < 2; ++i) {
    Run("config");
    EXPECT_TRUE(window.isVisible());
  }
  QTimer::singleShot(0, [this] { Run("End"); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });  // guard
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(removals, 1);
  EXPECT_TRUE(window.isHidden());
}

// The tray's mouse actions reach their steps through the whole program.
TEST(ProgramTray, MouseActionsRunTheirSteps) {
  FakeClock clock{MakeLocalTime(2026, 12, 7, 10, 0, 30)};
  Program program{clock};
  UrlSink browser;
  MainWindow& window = program.window();
  Control<QLineEdit>(window, "A_ID")->setText(QStringLiteral("b7"));
  window.Load();
  QTimer* timer = Control<QTimer>(window, "Timer1");
  MonitorState& state = program.monitor().state();

  timer->stop();
  state.alert = true;
  program.OnTrayMouse(TrayMouse::kMove);  // the pointer over the icon
  EXPECT_TRUE(timer->isActive());
  EXPECT_FALSE(state.alert);

  program.OnTrayMouse(TrayMouse::kLeftDoubleClick);
  EXPECT_EQ(browser.urls,
            std::vector<QByteArray>{"http://page.auctions.yahoo.co.jp/jp/auction/b7"});

  ASSERT_TRUE(window.isHidden());
  program.OnTrayMouse(TrayMouse::kRightDoubleClick);
  EXPECT_TRUE(window.isVisible());

  // The right button: the menu opens modally with the tick stopped; dismissing it leaves
  // the tick stopped until the pointer comes back.
  bool menuWasOpen = false;
  QTimer::singleShot(100, [&] {
    menuWasOpen = window.popupMenu()->isVisible();
    window.popupMenu()->close();
  });
  program.OnTrayMouse(TrayMouse::kRightPress);
  EXPECT_TRUE(menuWasOpen);
  EXPECT_FALSE(timer->isActive());
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "qt_menu_test.moc"
