// The tray's Qt adapters, offscreen: the clock-face raster and its icon, the tray icon's
// updates, and the delivery of mouse actions as message numbers.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/fake_window.h"
#include "tray/qt/qt_clock_surface.h"
#include "tray/qt/qt_tray_menu_host.h"
#include "tray/qt/qt_tray_presence.h"
#include "tray/qt/tray_mouse_router.h"
#include "tray/tray_mouse.h"

namespace lotwarden {
namespace {

constexpr QRgb kTransparent = 0;
constexpr QRgb kOutline = 0xFF808080;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kYellowArgb = 0xFFFFFF00;
constexpr QRgb kGreyArgb = 0xFFC0C0C0;

// The face's centre and radius in device pixels of a raster of the given side.
struct FaceGeometry {
  double cx, cy, r;
  explicit FaceGeometry(int pixels) {
    const double scale = static_cast<double>(pixels) / QtClockSurface::kSideTwips;
    cx = 160 * scale;
    cy = 162 * scale;
    r = 160 * scale;
  }
  double Distance(int x, int y) const { return std::hypot(x + 0.5 - cx, y + 0.5 - cy); }
};

std::string Picture(const QImage& image) {
  std::string out = "\n";
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      out += p == kTransparent  ? '.'
             : p == kOutline    ? 'o'
             : p == kBlack      ? '#'
             : p == kYellowArgb ? 'Y'
             : p == kGreyArgb   ? '-'
                                : '?';
    }
    out += '\n';
  }
  return out;
}

std::set<QRgb> Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      colours.insert(image.pixel(x, y));
  }
  return colours;
}

QImage DrawIcon(QtClockSurface& surface, MonitorState& state, const std::u16string& minute) {
  DrawClockFace(minute, state, surface);
  return MaskedIconImage(surface.image(), 1.0);
}

// An inside point of the face away from both hands at 3:00 (minute hand up, hour hand
// right): halfway to the rim towards the lower left.
QPoint InsidePoint(const FaceGeometry& g) {
  return QPoint(static_cast<int>(g.cx - g.r * 0.35), static_cast<int>(g.cy + g.r * 0.35));
}

class FaceRasterTest : public ::testing::TestWithParam<int> {};

TEST_P(FaceRasterTest, GreyFaceIsSeeThroughWithOutlineAndBlackHands) {
  const int pixels = GetParam();
  QtClockSurface surface(pixels);
  MonitorState state;
  const QImage icon = DrawIcon(surface, state, u"3:00");
  ASSERT_EQ(surface.image().size(), QSize(pixels, pixels));
  ASSERT_EQ(icon.size(), QSize(pixels, pixels));
  const std::string picture = Picture(icon);

  // The raster holds only the face's colours: no antialiasing blends.
  EXPECT_EQ(Colours(surface.image()), (std::set<QRgb>{kGreyArgb, kOutline, kBlack})) << picture;
  EXPECT_EQ(Colours(icon), (std::set<QRgb>{kTransparent, kOutline, kBlack})) << picture;

  const FaceGeometry g(pixels);
  const int lw = surface.LineWidth();
  for (int y = 0; y < pixels; ++y) {
    for (int x = 0; x < pixels; ++x) {
      if (g.Distance(x, y) > g.r + lw + 0.5) {
        ASSERT_EQ(icon.pixel(x, y), kTransparent) << "outside at " << x << "," << y << picture;
      }
    }
  }
  const QPoint inside = InsidePoint(g);
  EXPECT_EQ(icon.pixel(inside), kTransparent) << picture;

  // From outside inwards along the centre row and column, the first opaque pixel is the
  // rim, in the outline colour, where the radius says (left, right, bottom: no hand there).
  const int row = static_cast<int>(g.cy);
  const int col = static_cast<int>(g.cx);
  struct Scan {
    const char* name;
    QPoint start, step;
    double expected;  // coordinate of the rim along the scan
  };
  const Scan scans[] = {
      {"left", {0, row}, {1, 0}, g.cx - g.r},
      {"right", {pixels - 1, row}, {-1, 0}, g.cx + g.r},
      {"bottom", {col, pixels - 1}, {0, -1}, g.cy + g.r},
  };
  for (const Scan& s : scans) {
    QPoint p = s.start;
    while (icon.rect().contains(p) && icon.pixel(p) == kTransparent)
      p += s.step;
    ASSERT_TRUE(icon.rect().contains(p)) << s.name << picture;
    EXPECT_EQ(icon.pixel(p), kOutline) << s.name << picture;
    const int along = s.step.x() != 0 ? p.x() : p.y();
    EXPECT_NEAR(along, s.expected, lw + 1.0) << s.name << picture;
  }

  // The minute hand runs up from the centre to the rim, the hour hand right for 100 of the
  // 160 twips; both black, lw pixels thick.
  auto blackAcross = [&](int x, int y, bool vertical) {
    int count = 0;
    for (int d = -lw - 1; d <= lw + 1; ++d) {
      const QPoint p = vertical ? QPoint(x + d, y) : QPoint(x, y + d);
      if (icon.valid(p) && icon.pixel(p) == kBlack) ++count;
    }
    return count;
  };
  for (double f : {0.2, 0.5, 0.8}) {
    EXPECT_EQ(blackAcross(col, static_cast<int>(g.cy - g.r * f), true), lw)
        << "minute hand at " << f << picture;
    EXPECT_EQ(blackAcross(static_cast<int>(g.cx + g.r * f * 0.6), row, false), lw)
        << "hour hand at " << f << picture;
  }
  // Beyond the hour hand's end the face is empty again.
  EXPECT_EQ(blackAcross(static_cast<int>(g.cx + g.r * 0.8), row, false), 0) << picture;
}

// 22: the reference raster at 96 dpi; 16 and 32: the window icon; 44: a 22-pixel tray at a
// device pixel ratio of 2.
INSTANTIATE_TEST_SUITE_P(Sizes, FaceRasterTest, ::testing::Values(22, 16, 32, 44));

TEST(FaceRaster, LineWidthFollowsTheScaleInWholePixels) {
  struct Case {
    int pixels, width;
  } const cases[] = {{16, 1}, {22, 1}, {32, 1}, {44, 2}, {66, 3}};
  for (const Case& c : cases) {
    EXPECT_EQ(QtClockSurface(c.pixels).LineWidth(), c.width) << c.pixels;
  }
}

TEST(FaceRaster, AlertFillsTheFaceYellowOnEveryOtherDrawing) {
  QtClockSurface surface;
  MonitorState state;
  state.alert = true;
  const QPoint inside = InsidePoint(FaceGeometry(surface.pixels()));
  std::vector<QRgb> seen;
  for (int i = 0; i < 4; ++i) {
    const QImage icon = DrawIcon(surface, state, u"3:00");
    seen.push_back(icon.pixel(inside));
    EXPECT_TRUE(Colours(icon).count(kYellowArgb) == (i % 2 == 0 ? 1u : 0u)) << Picture(icon);
    for (QRgb c : Colours(icon)) {
      EXPECT_TRUE(c == kTransparent || c == kOutline || c == kBlack || c == kYellowArgb) << c;
    }
    // Outside the face stays see-through in both colours.
    EXPECT_EQ(icon.pixel(surface.pixels() - 1, 0), kTransparent);
  }
  EXPECT_EQ(seen, (std::vector<QRgb>{kYellowArgb, kTransparent, kYellowArgb, kTransparent}));

  // Acknowledged while yellow: the next face is grey.
  DrawIcon(surface, state, u"3:00");
  state.alert = false;
  EXPECT_EQ(DrawIcon(surface, state, u"3:00").pixel(inside), kTransparent);
}

TEST(FaceRaster, MaskTakesOnlyTheExactGrey) {
  QImage raster(3, 1, QImage::Format_RGB32);
  raster.setPixel(0, 0, qRgb(192, 192, 192));
  raster.setPixel(1, 0, qRgb(192, 192, 193));
  raster.setPixel(2, 0, qRgb(191, 192, 192));
  const QImage icon = MaskedIconImage(raster, 2.0);
  EXPECT_EQ(icon.pixel(0, 0), kTransparent);
  EXPECT_EQ(icon.pixel(1, 0), qRgb(192, 192, 193));
  EXPECT_EQ(icon.pixel(2, 0), qRgb(191, 192, 192));
  EXPECT_EQ(icon.devicePixelRatio(), 2.0);
}

TEST(WindowIcon, HasAClockFaceAt16And32Pixels) {
  const QIcon icon = ClockFaceWindowIcon();
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  for (int side : {16, 32}) {
    const QImage image =
        icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(side, side));
    const std::set<QRgb> colours = Colours(image);
    EXPECT_EQ(colours, (std::set<QRgb>{kTransparent, kOutline, kBlack})) << Picture(image);
    EXPECT_EQ(image.pixel(side - 1, 0), kTransparent) << Picture(image);
  }
}

// The tray icon as Qt holds it, at its own pixel size.
QImage TrayImage(const QSystemTrayIcon& tray, int logical, qreal ratio) {
  return tray.icon()
      .pixmap(QSize(logical, logical), ratio)
      .toImage()
      .convertToFormat(QImage::Format_ARGB32);
}

class PresenceTest : public ::testing::Test {
 protected:
  MonitorState state;
  QIcon windowIcon = ClockFaceWindowIcon();
  QtTrayPresence presence{state, 0x1234, windowIcon};
  QSystemTrayIcon& tray = *presence.trayIcon();
};

TEST_F(PresenceTest, AddFillsTheRecordAndShowsTheWindowIcon) {
  presence.AddTrayIcon(u"Ready");
  EXPECT_EQ(state.trayRecord.cbSize, 88u);
  EXPECT_EQ(state.trayRecord.hWnd, 0x1234u);
  EXPECT_EQ(state.trayRecord.hIcon, QtTrayPresence::kWindowIconHandle);
  EXPECT_EQ(state.trayRecord.TooltipText(), u"Ready");
  EXPECT_EQ(tray.icon().cacheKey(), windowIcon.cacheKey());
  EXPECT_EQ(tray.toolTip(), QStringLiteral("Ready"));
  EXPECT_TRUE(tray.isVisible());
  presence.RemoveTrayIcon();
  EXPECT_FALSE(tray.isVisible());
}

TEST_F(PresenceTest, TooltipGoesOutWithTheRefreshAsTheRecordShowsIt) {
  presence.AddTrayIcon(u"");
  const std::u16string longStatus(100, u'x');
  presence.CopyTooltip(longStatus);
  EXPECT_EQ(tray.toolTip(), QString()) << "copied, not sent yet";
  presence.DrawClockFace(u"9:30");
  presence.RefreshTrayIcon();
  EXPECT_EQ(tray.toolTip(), QString::fromStdU16String(std::u16string(63, u'x')));
  presence.CopyTooltip(u"1,000円/残り1日");
  presence.RefreshTrayIcon();
  EXPECT_EQ(tray.toolTip(), QString::fromStdU16String(u"1,000円/残り1日"));
}

TEST_F(PresenceTest, RasterFollowsIconSizeAndPixelRatio) {
  struct Case {
    int logical;
    qreal ratio;
    int pixels;
  } const cases[] = {{22, 1.0, 22}, {22, 2.0, 44}, {32, 1.0, 32}, {24, 1.5, 36}};
  presence.AddTrayIcon(u"");
  for (const Case& c : cases) {
    presence.SetIconScale(c.logical, c.ratio);
    presence.DrawClockFace(u"3:00");
    presence.RefreshTrayIcon();
    EXPECT_EQ(presence.raster().size(), QSize(c.pixels, c.pixels));
    const QPixmap shown = tray.icon().pixmap(QSize(c.logical, c.logical), c.ratio);
    EXPECT_EQ(shown.size(), QSize(c.pixels, c.pixels)) << c.logical << "@" << c.ratio;
    EXPECT_EQ(shown.devicePixelRatio(), c.ratio);
  }
  // Offscreen has no notification area: the default size at the screen's ratio.
  presence.SetIconScale(0, 0);
  presence.DrawClockFace(u"3:00");
  EXPECT_EQ(presence.raster().width(), QtTrayPresence::kDefaultIconSize);
}

TEST_F(PresenceTest, NewIconOnlyWhenThePixelsChanged) {
  presence.AddTrayIcon(u"");
  presence.SetIconScale(22, 1.0);
  qint64 key = tray.icon().cacheKey();
  std::uint32_t handle = state.trayRecord.hIcon;
  // Each step: the minute drawn, whether alert stands, whether a new icon must go out.
  struct Step {
    const char16_t* minute;
    bool alert;
    bool changes;
  } const steps[] = {
      {u"3:00", false, true},    // first face replaces the window icon
      {u"3:00", false, false},   // same minute redrawn
      {u"3:00", true, true},     // yellow
      {u"3:00", true, true},     // grey again
      {u"3:00", false, false},   // alert gone while grey
      {u"3:01", false, true},    // next minute
      {u"15:01", false, false},  // same hands twelve hours on
  };
  for (const Step& s : steps) {
    state.alert = s.alert;
    presence.DrawClockFace(s.minute);
    presence.RefreshTrayIcon();
    const bool changed = tray.icon().cacheKey() != key;
    EXPECT_EQ(changed, s.changes) << QString::fromStdU16String(s.minute).toStdString();
    EXPECT_EQ(state.trayRecord.hIcon != handle, s.changes);
    key = tray.icon().cacheKey();
    handle = state.trayRecord.hIcon;
    // What the tray holds is the face just drawn, masked.
    EXPECT_EQ(TrayImage(tray, 22, 1.0), MaskedIconImage(presence.raster(), 1.0));
  }
}

// Mouse delivery: the messages handed to the callback, once the event loop has run.
class RouterTest : public ::testing::Test {
 protected:
  QSystemTrayIcon tray;
  std::vector<int> messages;
  TrayMouseRouter router{&tray, [this](int m) { messages.push_back(m); }};

  std::vector<int> Take() {
    QCoreApplication::processEvents();
    return std::exchange(messages, {});
  }
};

void SendMouse(QWidget& widget, QEvent::Type type, Qt::MouseButton button) {
  const QPointF local(3, 3);
  QMouseEvent event(type, local, widget.mapToGlobal(local), button,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

TEST_F(RouterTest, XEmbedWidgetEventsMapToMessagesAndActivationsAreIgnored) {
  QWidget trayWidget;
  trayWidget.setObjectName(QStringLiteral("QSystemTrayIconSys"));
  ASSERT_TRUE(TrayMouseRouter::TrayWidgetExists());

  struct Case {
    QEvent::Type type;
    Qt::MouseButton button;
    int message;
  } const cases[] = {
      {QEvent::MouseMove, Qt::NoButton, 512},
      {QEvent::MouseButtonPress, Qt::LeftButton, 513},
      {QEvent::MouseButtonRelease, Qt::LeftButton, 514},
      {QEvent::MouseButtonDblClick, Qt::LeftButton, 515},
      {QEvent::MouseButtonPress, Qt::RightButton, 516},
      {QEvent::MouseButtonRelease, Qt::RightButton, 517},
      {QEvent::MouseButtonDblClick, Qt::RightButton, 518},
      {QEvent::MouseButtonPress, Qt::MiddleButton, 519},
      {QEvent::MouseButtonRelease, Qt::MiddleButton, 520},
  };
  for (const Case& c : cases) {
    SendMouse(trayWidget, c.type, c.button);
    EXPECT_EQ(Take(), std::vector<int>{c.message}) << c.message;
  }

  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), trayWidget.mapToGlobal(QPointF(1, 1)));
  QApplication::sendEvent(&trayWidget, &enter);
  EXPECT_EQ(Take(), std::vector<int>{512});

  // A left double-click as X11 delivers it.
  SendMouse(trayWidget, QEvent::MouseButtonPress, Qt::LeftButton);
  SendMouse(trayWidget, QEvent::MouseButtonRelease, Qt::LeftButton);
  SendMouse(trayWidget, QEvent::MouseButtonDblClick, Qt::LeftButton);
  SendMouse(trayWidget, QEvent::MouseButtonRelease, Qt::LeftButton);
  EXPECT_EQ(Take(), (std::vector<int>{513, 514, 515, 514}));

  // Qt's own widget also reports activations; they must not count twice.
  for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                      QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick}) {
    emit tray.activated(reason);
  }
  QMenu menu;
  router.WatchMenu(&menu);
  emit menu.aboutToHide();
  EXPECT_EQ(Take(), std::vector<int>{});
}

TEST_F(RouterTest, OtherWidgetsAndEventsGiveNothing) {
  QWidget trayWidget;
  trayWidget.setObjectName(QStringLiteral("QSystemTrayIconSys"));
  QWidget other;
  SendMouse(other, QEvent::MouseButtonPress, Qt::LeftButton);
  SendMouse(other, QEvent::MouseMove, Qt::NoButton);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&trayWidget, &leave);
  QWheelEvent wheel(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&trayWidget, &wheel);
  EXPECT_EQ(Take(), std::vector<int>{});
}

TEST_F(RouterTest, StatusNotifierActivationsMapToMessages) {
  ASSERT_FALSE(TrayMouseRouter::TrayWidgetExists());
  struct Case {
    QSystemTrayIcon::ActivationReason reason;
    std::vector<int> messages;
  } const cases[] = {
      {QSystemTrayIcon::Trigger, {512, 513}}, {QSystemTrayIcon::DoubleClick, {515}},
      {QSystemTrayIcon::Context, {512, 516}}, {QSystemTrayIcon::MiddleClick, {519}},
      {QSystemTrayIcon::Unknown, {}},
  };
  for (const Case& c : cases) {
    emit tray.activated(c.reason);
    EXPECT_EQ(Take(), c.messages) << c.reason;
  }
  QMenu menu;
  router.WatchMenu(&menu);
  emit menu.aboutToHide();
  EXPECT_EQ(Take(), std::vector<int>{512});
}

// A right click on a StatusNotifierItem host through the real action table: the menu opens
// with the tick off, and its closing switches the tick back on.
TEST_F(RouterTest, StatusNotifierMenuDoesNotLeaveTheTickOff) {
  MonitorState state;
  state.alert = true;
  testing::FakeWindow window;
  window.timerOn = true;
  QWidget mainWindow;
  QMenu menu;
  QAction* config = menu.addAction(QStringLiteral("Config."));
  int configRuns = 0;
  bool timerWhileOpen = true;
  QtTrayMenuHost host(&mainWindow, &menu, [&] { ++configRuns; });
  QObject::connect(config, &QAction::triggered, [&] {
    timerWhileOpen = window.timerOn;
    host.ShowConfig();
  });
  router.WatchMenu(&menu);
  TrayMouseRouter live(&tray, [&](int m) { OnTrayMouse(m, state, window, host); });
  live.WatchMenu(&menu);
  // Choose the entry once the menu is up.
  QTimer::singleShot(50, &menu, [&] {
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Return);
  });
  emit tray.activated(QSystemTrayIcon::Context);
  QCoreApplication::processEvents();  // 512, then 516 runs the menu modally
  EXPECT_FALSE(state.alert);
  EXPECT_FALSE(timerWhileOpen);
  EXPECT_EQ(configRuns, 1);
  QCoreApplication::processEvents();  // the menu's closing
  EXPECT_TRUE(window.timerOn);
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
