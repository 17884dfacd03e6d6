// The popup menu's commands through the real window, and the tray's mouse actions through
// the whole program.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <string>
#include <vector>

#include "monitor/monitor.h"
#include "tests/fakes.h"
#include "window/main_window.h"
#include "window/program.h"

namespace lotwarden {
namespace {

using testing::FakeClock;
using testing::FakeTransfer;
using testing::FakeTray;

// Receives what would go to the browser.
class UrlSink : public QObject {
  Q_OBJECT

 public:
  UrlSink() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
  ~UrlSink() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
  std::vector<QByteArray> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toEncoded()); }
};

QAction* Entry(MainWindow& window, const char* name) {
  for (QAction* action : window.popupMenu()->actions()) {
    if (action->objectName() == QLatin1String(name)) return action;
  }
  ADD_FAILURE() << "no menu entry " << name;
  return nullptr;
}

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

  void Run(const char* entry) { Entry(window, entry)->trigger(); }
  QLineEdit* Id() { return window.findChild<QLineEdit*>(QStringLiteral("A_ID")); }

  FakeClock clock{MakeLocalTime(2026, 12, 7, 10, 0, 30)};
  FakeTransfer transfer;
  FakeTray tray;
  MainWindow window;
  Monitor monitor{window, transfer, tray, clock};
  UrlSink browser;
  int removals = 0;
};

TEST_F(MenuTest, HasItsFiveEntriesInOrder) {
  const QMenu* menu = window.popupMenu();
  EXPECT_EQ(menu->title(), QStringLiteral("Menu"));
  const std::vector<std::pair<QString, QString>> expected = {
      {"Open_WatchList", "Open WatchList"},
      {"open_url", "Open URL"},
      {"GetIDfromClipBoard", "ClipBoard"},
      {"config", "Config."},
      {"End", "End"},
  };
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    const QAction* action = actions[static_cast<qsizetype>(i)];
    EXPECT_EQ(action->objectName(), expected[i].first);
    EXPECT_EQ(action->text(), expected[i].second);
    EXPECT_TRUE(action->isEnabled());
    EXPECT_TRUE(action->isVisible());
    EXPECT_FALSE(action->isChecked());
    EXPECT_TRUE(action->shortcut().isEmpty());
  }
}

TEST_F(MenuTest, OpenEntriesSendTheExactUrlsToTheBrowser) {
  Id()->setText(QStringLiteral("b1234"));
  Run("Open_WatchList");
  Run("open_url");
  EXPECT_EQ(browser.urls, (std::vector<QByteArray>{
                              "http://page.auctions.yahoo.co.jp/jp/show/mystatus?select=watchlist",
                              "http://page.auctions.yahoo.co.jp/jp/auction/b1234"}));
  EXPECT_TRUE(transfer.urls.empty());
}

TEST_F(MenuTest, ClipBoardTextBecomesTheIdAndIsFetchedAtOnce) {
  struct Case {
    QString before, clipboard;
  };
  const Case cases[] = {
      {"old1", "b99 \n"},    // whole and unchanged, trailing white space included
      {"", "オークション"},  // any text at all
      {"b5", "b5"},          // the same ID: the edit's steps still run
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clipboard.toStdString());
    Id()->setText(c.before);
    transfer.urls.clear();
    window.SetStatusCaption(u"100 円/残り3日");
    window.SetCurrentBidCaption(u"100 円");
    monitor.state().alert = true;
    monitor.state().busy = false;
    QGuiApplication::clipboard()->setText(c.clipboard);
    Run("GetIDfromClipBoard");
    EXPECT_EQ(Id()->text(), c.clipboard);
    EXPECT_EQ(window.CurrentBidCaption(), u"");
    EXPECT_EQ(window.StatusCaption(), u"");
    EXPECT_FALSE(monitor.state().alert);
    EXPECT_FALSE(monitor.state().lastMinute.has_value());
    EXPECT_EQ(transfer.urls, std::vector<std::u16string>{u"http://page.auctions.yahoo.co.jp/jp/"
                                                         u"auction/" +
                                                         c.clipboard.toStdU16String()});
  }
  // While a request is outstanding the fetch reports "Maybe error" instead.
  QGuiApplication::clipboard()->setText(QStringLiteral("b6"));
  Run("GetIDfromClipBoard");
  EXPECT_EQ(window.StatusCaption(), u"Maybe error");
  EXPECT_EQ(transfer.urls.size(), 1u);
}

TEST_F(MenuTest, ClipBoardWithoutTextDoesNothing) {
  Id()->setText(QStringLiteral("b1"));
  window.SetStatusCaption(u"status");
  window.SetCurrentBidCaption(u"100 円");
  monitor.state().alert = true;
  const auto emptyClipboard = [] { QGuiApplication::clipboard()->clear(); };
  const auto picture = [] {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(image);
  };
  for (const auto& fill : {std::function<void()>(emptyClipboard), std::function<void()>(picture)}) {
    fill();
    Run("GetIDfromClipBoard");
    EXPECT_EQ(Id()->text(), QStringLiteral("b1"));
    EXPECT_EQ(window.StatusCaption(), u"status");
    EXPECT_EQ(window.CurrentBidCaption(), u"100 円");
    EXPECT_TRUE(monitor.state().alert);
    EXPECT_TRUE(transfer.urls.empty());
  }
}

TEST_F(MenuTest, ConfigShowsTheWindowAndKeepsAShownOneShown) {
  ASSERT_TRUE(window.isHidden());
  Run("config");
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.popupMenu()->isVisible());
  Run("config");
  EXPECT_TRUE(window.isVisible());
}

TEST_F(MenuTest, EndRemovesTheIconAndLeavesTheEventLoopWithStatusZero) {
  window.show();
  QTimer::singleShot(0, [this] { Run("End"); });
  QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });  // guard
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_EQ(removals, 1);
  EXPECT_TRUE(window.isHidden());
}

// The tray's mouse messages reach their actions through the whole program.
TEST(ProgramTray, MouseMessagesRunTheirActions) {
  FakeClock clock{MakeLocalTime(2026, 12, 7, 10, 0, 30)};
  Program program{clock};
  UrlSink browser;
  MainWindow& window = program.window();
  window.findChild<QLineEdit*>(QStringLiteral("A_ID"))->setText(QStringLiteral("b7"));
  window.Load();
  QTimer* timer = window.findChild<QTimer*>(QStringLiteral("Timer1"));
  MonitorState& state = program.monitor().state();

  timer->stop();
  state.alert = true;
  state.lastMinute = MinuteOf(clock.now);
  program.OnTrayMouse(512);
  EXPECT_TRUE(timer->isActive());
  EXPECT_FALSE(state.alert);
  EXPECT_FALSE(state.lastMinute.has_value());

  program.OnTrayMouse(515);
  EXPECT_EQ(browser.urls,
            std::vector<QByteArray>{"http://page.auctions.yahoo.co.jp/jp/auction/b7"});

  ASSERT_TRUE(window.isHidden());
  program.OnTrayMouse(518);
  EXPECT_TRUE(window.isVisible());

  // The right button: the menu opens modally with the tick stopped; dismissing it leaves
  // the tick stopped until the pointer comes back.
  bool menuWasOpen = false;
  QTimer::singleShot(100, [&] {
    menuWasOpen = window.popupMenu()->isVisible();
    window.popupMenu()->close();
  });
  program.OnTrayMouse(516);
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
