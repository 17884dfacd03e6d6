// SPDX-License-Identifier: MIT
// The tray's Qt adapters, offscreen: the face raster and its icon, the tray icon's updates,
// and mouse actions delivered as message numbers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cmath>
#include <functional>
#include <set>
#include <tuple>
#include <vector>

#include "tray/qt/qt_clock_surface.h"
#include "tray/qt/qt_tray_presence.h"
#include "tray/qt/tray_mouse_router.h"

namespace lotwarden {
namespace {

constexpr QRgb kClear = 0, kOutline = 0xFF808080, kBlack = 0xFF000000, kYellow = 0xFFFFFF00;
constexpr QRgb kGrey = 0xFFC0C0C0;

std::set<QRgb> Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      colours.insert(image.pixel(x, y));
  return colours;
}

// The face's centre and radius in pixels of a raster of the given side.
struct Face {
  double cx, cy, r;
  explicit Face(int pixels) {
    const double scale = static_cast<double>(pixels) / QtClockSurface::kSideTwips;
    cx = 160 * scale, cy = 162 * scale, r = 160 * scale;
  }
  // Inside the face, away from both hands at 3:00 (minute hand up, hour hand right).
  QPoint Inside() const { return QPoint(int(cx - r * 0.35), int(cy + r * 0.35)); }
};

QImage DrawIcon(QtClockSurface& surface, FaceFill fill = FaceFill::kGrey) {
  DrawClockFace(surface, 3, 0, fill);
  return MaskedIconImage(surface.image(), 1.0);
}

// The raster's side and its line width.
class FaceRasterTest : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(FaceRasterTest, SeeThroughFaceWithOutlineRimBlackHandsAndYellowBlink) {
  const int pixels = GetParam().first, lw = GetParam().second;
  QtClockSurface surface(pixels);
  ASSERT_EQ(surface.LineWidth(), lw);
  const QImage icon = DrawIcon(surface);
  ASSERT_EQ(icon.size(), QSize(pixels, pixels));
  // Only the face's own colours, no antialiasing blends; the grey is the mask.
  EXPECT_EQ(Colours(surface.image()), (std::set<QRgb>{kGrey, kOutline, kBlack}));
  EXPECT_EQ(Colours(icon), (std::set<QRgb>{kClear, kOutline, kBlack}));

  // Outside the face all see-through; the outline colour's extent is the rim's.
  const Face g(pixels);
  QRect rim;
  for (int y = 0; y < pixels; ++y) {
    for (int x = 0; x < pixels; ++x) {
      const bool outside = std::hypot(x + 0.5 - g.cx, y + 0.5 - g.cy) > g.r + lw + 0.5;
      ASSERT_TRUE(!outside || icon.pixel(x, y) == kClear) << "outside at " << x << "," << y;
      if (icon.pixel(x, y) == kOutline) rim |= QRect(x, y, 1, 1);
    }
  }
  for (const auto& [edge, expected] : {std::pair{rim.left(), g.cx - g.r},
                                       {rim.right(), g.cx + g.r},
                                       {rim.top(), g.cy - g.r},
                                       {rim.bottom(), g.cy + g.r}})
    EXPECT_NEAR(edge, expected, lw + 1.0) << rim.left() << "," << rim.top() << " " << rim.width();
  EXPECT_EQ(icon.pixel(g.Inside()), kClear);

  const int row = int(g.cy), col = int(g.cx);
  // Black hands lw thick: the minute hand up to the rim, the hour hand right for 100/160.
  auto blackAcross = [&](int x, int y, bool vertical) {
    int count = 0;
    for (int d = -lw - 1; d <= lw + 1; ++d) {
      const QPoint p = vertical ? QPoint(x + d, y) : QPoint(x, y + d);
      count += icon.valid(p) && icon.pixel(p) == kBlack;
    }
    return count;
  };
  for (double f : {0.2, 0.5, 0.8}) {
    EXPECT_EQ(blackAcross(col, int(g.cy - g.r * f), true), lw) << "minute hand at " << f;
    EXPECT_EQ(blackAcross(int(g.cx + g.r * f * 0.6), row, false), lw) << "hour hand at " << f;
  }
  EXPECT_EQ(blackAcross(int(g.cx + g.r * 0.8), row, false), 0) << "beyond the hour hand";

  // A yellow face is filled, again without blends; the grey one after it is clear again.
  for (const auto& [fill, pixel] :
       {std::pair{FaceFill::kYellow, kYellow}, {FaceFill::kGrey, kClear}}) {
    const QImage next = DrawIcon(surface, fill);
    EXPECT_EQ(next.pixel(g.Inside()), pixel);
    EXPECT_EQ(next.pixel(0, 0), kClear);
    EXPECT_EQ(Colours(next).size(), pixel == kYellow ? 4u : 3u);
  }
}

// 22: the reference raster; 16 and 32: the window icon; 44: 22 pixels at a pixel ratio of 2.
INSTANTIATE_TEST_SUITE_P(Sizes, FaceRasterTest,
                         ::testing::Values(std::pair{22, 1}, std::pair{16, 1}, std::pair{32, 1},
                                           std::pair{44, 2}));

TEST(MaskedIcon, ClearsOnlyTheExactGreyAndKeepsThePixelRatio) {
  QImage raster(3, 1, QImage::Format_RGB32);
  const QRgb colours[] = {kGrey, qRgb(192, 192, 193), qRgb(191, 192, 192)};
  for (int x = 0; x < 3; ++x)
    raster.setPixel(x, 0, colours[x]);
  const QImage icon = MaskedIconImage(raster, 2.0);
  EXPECT_EQ(Colours(icon), (std::set<QRgb>{kClear, colours[1], colours[2]}));
  EXPECT_EQ(icon.devicePixelRatio(), 2.0);
}

TEST(WindowIcon, HasAGreyClockFaceAt16And32Pixels) {
  const QIcon icon = ClockFaceWindowIcon();
  for (int side : {16, 32}) {
    EXPECT_TRUE(icon.availableSizes().contains(QSize(side, side))) << side;
    const QImage image =
        icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(Colours(image), (std::set<QRgb>{kClear, kOutline, kBlack})) << side;
    EXPECT_EQ(image.pixel(Face(side).Inside()), kClear) << side;
  }
}

class PresenceTest : public ::testing::Test {
 protected:
  QIcon windowIcon = ClockFaceWindowIcon();
  QtTrayPresence presence{windowIcon};
  QSystemTrayIcon& tray = *presence.trayIcon();
};

TEST_F(PresenceTest, AddShowsTheWindowIconAndRefreshSendsTheCutTooltip) {
  presence.AddTrayIcon(u"Ready");
  EXPECT_EQ(tray.icon().cacheKey(), windowIcon.cacheKey());
  EXPECT_EQ(tray.toolTip(), QStringLiteral("Ready"));
  EXPECT_TRUE(tray.isVisible());

  presence.RefreshTrayIcon(std::u16string(100, u'x'), {9, 30, FaceFill::kGrey});
  EXPECT_EQ(tray.toolTip(), QString(63, QLatin1Char('x')));
  presence.RemoveTrayIcon();
  EXPECT_FALSE(tray.isVisible());
}

TEST_F(PresenceTest, RasterFollowsIconSizeAndPixelRatio) {
  presence.AddTrayIcon(u"");
  for (const auto& [logical, ratio, pixels] :
       {std::tuple{22, 1.0, 22}, {22, 2.0, 44}, {24, 1.5, 36}}) {
    presence.SetIconScale(logical, ratio);
    presence.RefreshTrayIcon(u"", {3, 0, FaceFill::kGrey});
    EXPECT_EQ(presence.raster().size(), QSize(pixels, pixels));
    const QPixmap shown = tray.icon().pixmap(QSize(logical, logical), ratio);
    EXPECT_EQ(shown.size(), QSize(pixels, pixels)) << logical << "@" << ratio;
    EXPECT_EQ(shown.devicePixelRatio(), ratio);
  }
  // Offscreen there is no notification area to ask: the default size at ratio 1.
  presence.SetIconScale(0, 0);
  presence.RefreshTrayIcon(u"", {3, 0, FaceFill::kGrey});
  EXPECT_EQ(presence.raster().width(), QtTrayPresence::kDefaultIconSize);
}

TEST_F(PresenceTest, NewIconOnlyWhenThePixelsChanged) {
  presence.AddTrayIcon(u"");
  presence.SetIconScale(22, 1.0);
  // Each step: the face drawn, whether a new icon must go out.
  const std::pair<FaceReading, bool> steps[] = {
      {{3, 0, FaceFill::kGrey}, true},    // the first face replaces the window icon
      {{3, 0, FaceFill::kGrey}, false},   // same minute redrawn
      {{3, 0, FaceFill::kYellow}, true},  // yellow
      {{3, 0, FaceFill::kGrey}, true},    // grey again
      {{3, 1, FaceFill::kGrey}, true},    // next minute
      {{15, 1, FaceFill::kGrey}, false},  // same hands twelve hours on
  };
  for (const auto& [face, changes] : steps) {
    SCOPED_TRACE(::testing::Message()
                 << face.hour << ":" << face.minute << " " << static_cast<int>(face.fill));
    const qint64 key = tray.icon().cacheKey();
    presence.RefreshTrayIcon(u"", face);
    EXPECT_EQ(tray.icon().cacheKey() != key, changes);
    // The tray holds the face just drawn, masked.
    EXPECT_EQ(
        tray.icon().pixmap(QSize(22, 22), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
        MaskedIconImage(presence.raster(), 1.0));
  }
}

// Mouse delivery: the messages handed to the callback, none before the event loop runs.
class RouterTest : public ::testing::Test {
 protected:
  QSystemTrayIcon tray;
  std::vector<TrayMouse> messages;
  TrayMouseRouter router{&tray, [this](TrayMouse m) { messages.push_back(m); }};
  QMenu menu;

  void SetUp() override { router.WatchMenu(&menu); }
  std::vector<TrayMouse> Take() {
    EXPECT_EQ(messages, std::vector<TrayMouse>{}) << "delivered before the event loop ran";
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

using Actions = std::vector<TrayMouse>;

TEST_F(RouterTest, XEmbedWidgetEventsMapToActionsAndActivationsAreIgnored) {
  QWidget trayWidget, other;
  trayWidget.setObjectName(QStringLiteral("QSystemTrayIconSys"));
  ASSERT_TRUE(TrayMouseRouter::TrayWidgetExists());
  SendMouse(trayWidget, QEvent::MouseMove, Qt::NoButton);
  EXPECT_EQ(Take(), Actions{TrayMouse::kMove});
  // Press, release and double-click of each button.
  const QEvent::Type kinds[] = {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                QEvent::MouseButtonDblClick};
  const std::pair<Qt::MouseButton, Actions> buttons[] = {
      {Qt::LeftButton,
       {TrayMouse::kLeftPress, TrayMouse::kLeftRelease, TrayMouse::kLeftDoubleClick}},
      {Qt::RightButton,
       {TrayMouse::kRightPress, TrayMouse::kRightRelease, TrayMouse::kRightDoubleClick}},
      {Qt::MiddleButton, {TrayMouse::kMiddle, TrayMouse::kMiddle, TrayMouse::kMiddle}},
  };
  for (const auto& [button, actions] : buttons) {
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(::testing::Message() << button << " " << i);
      SendMouse(trayWidget, kinds[i], button);
      EXPECT_EQ(Take(), Actions{actions[static_cast<size_t>(i)]});
      SendMouse(other, kinds[i], button);
      EXPECT_EQ(Take(), Actions{}) << "another widget";
    }
  }
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), trayWidget.mapToGlobal(QPointF(1, 1)));
  QApplication::sendEvent(&trayWidget, &enter);
  EXPECT_EQ(Take(), Actions{TrayMouse::kMove});

  // Qt's widget also reports activations; with the pointer seen directly, nothing twice.
  for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                      QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick})
    emit tray.activated(reason);
  emit menu.aboutToHide();
  EXPECT_EQ(Take(), Actions{});
}

TEST_F(RouterTest, StatusNotifierActivationsAndMenusMapToActions) {
  ASSERT_FALSE(TrayMouseRouter::TrayWidgetExists());
  QMenu exported;  // the copy that the notification area shows by itself
  router.WatchExportedMenu(&exported);
  // Double-click intervals under which two activations are never, or always, one double-click.
  constexpr int kNever = 0, kAlways = 3'600'000;
  auto activate = [this](QSystemTrayIcon::ActivationReason reason) {
    return std::function<void()>([this, reason] { emit tray.activated(reason); });
  };
  using M = TrayMouse;
  const std::tuple<int, std::function<void()>, Actions> steps[] = {
      {kAlways, activate(QSystemTrayIcon::Trigger), {M::kMove, M::kLeftPress}},
      {kAlways, activate(QSystemTrayIcon::Trigger), {M::kLeftDoubleClick}},
      {kAlways, activate(QSystemTrayIcon::Trigger), {M::kMove, M::kLeftPress}},  // anew
      {kNever, activate(QSystemTrayIcon::Trigger), {M::kMove, M::kLeftPress}},
      {kNever, activate(QSystemTrayIcon::Trigger), {M::kMove, M::kLeftPress}},
      {kAlways, activate(QSystemTrayIcon::DoubleClick), {M::kLeftDoubleClick}},
      {kAlways, activate(QSystemTrayIcon::Context), {M::kMove, M::kRightPress}},
      {kAlways, activate(QSystemTrayIcon::MiddleClick), {M::kMiddle}},
      {kAlways, activate(QSystemTrayIcon::Unknown), {}},
      // Closings come after the chosen command has run, so it runs with the tick still off.
      {kAlways, [this] { emit menu.aboutToHide(); }, {M::kMove}},
      {kAlways, [&] { emit exported.aboutToShow(); }, {M::kMove, M::kRightPress}},
      {kAlways, [&] { emit exported.aboutToHide(); }, {M::kMove}},
      {kAlways, [&] { emit exported.triggered(nullptr); }, {M::kMove}},
  };
  QStyleHints* hints = QGuiApplication::styleHints();
  const int interval = hints->mouseDoubleClickInterval();
  int row = 0;
  for (const auto& [doubleClickInterval, event, expected] : steps) {
    hints->setMouseDoubleClickInterval(doubleClickInterval);
    event();
    EXPECT_EQ(Take(), expected) << "step " << row;
    ++row;
  }
  hints->setMouseDoubleClickInterval(interval);
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
