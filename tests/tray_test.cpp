// SPDX-License-Identifier: MIT
// The clock face's drawing, the tooltip's cut and the tray's mouse actions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>

#include "tests/fakes.h"
#include "tray/clock_face.h"
#include "tray/tray_mouse.h"
#include "tray/tray_record.h"

namespace lotwarden {
namespace {

// Logs the face's circle and each hand's end point, to two decimals.
struct Recorder : DrawingSurface {
  std::string log;
  void Clear() override { log += "clear "; }
  void Circle(float x, float y, float r, Rgb outline, Rgb fill) override {
    Add("circle %.0f,%.0f,%.0f,%d,%d ", x, y, r, outline.g, fill.b);
  }
  void Line(float x, float y, float dx, float dy) override {
    Add("%.0f,%.0f>%.2f,%.2f ", x, y, std::round((x + dx) * 100) / 100,
        std::round((y + dy) * 100) / 100);
  }
  template <typename... T>
  void Add(const char* format, T... values) {
    char text[64];
    log += std::string(text, std::snprintf(text, sizeof text, format, values...));
  }
};

// The face first, then the minute hand and the hour hand, ending where they always have.
TEST(ClockFace, HandsEndWhereTheyAlwaysHave) {
  // clang-format off
  const std::tuple<int, int, FaceFill, std::string> cases[] = {
      {3, 0, FaceFill::kGrey, "192 160,162>160.13,2.00 160,162>260.00,162.08"},
      {9, 30, FaceFill::kGrey, "192 160,162>159.97,322.00 160,162>63.43,136.04"},
      {12, 0, FaceFill::kGrey, "192 160,162>160.13,2.00 160,162>160.08,62.00"},
      {21, 5, FaceFill::kYellow, "0 160,162>240.10,23.49 160,162>60.10,157.56"},
      {6, 45, FaceFill::kGrey, "192 160,162>0.00,162.01 160,162>121.66,254.36"}};
  // clang-format on
  for (const auto& [hour, minute, fill, drawn] : cases) {
    Recorder r;
    DrawClockFace(r, hour, minute, fill);
    EXPECT_EQ(r.log, "clear circle 160,162,160,120," + drawn + " ");
  }
}

// The tip: code page 932, a NUL, spaces, a last NUL; cut before a character passing byte 63.
TEST(TrayRecord, TooltipIsCutToWholeCp932Characters) {
  const auto padded = [](std::string text) {
    text.push_back('\0');
    text.resize(63, ' ');
    return text + '\0';
  };
  const auto cut = [](std::string text) { return text.append(64 - text.size(), '\0'); };
  const std::u16string x61(61, u'x');
  // clang-format off
  const std::tuple<std::u16string, std::string, std::u16string> cases[] = {
      {std::u16string(100, u'd'), cut(std::string(63, 'd')), std::u16string(63, u'd')},
      {u"", padded(""), u""},  // after a longer tip, nothing of it stays behind
      {std::u16string(63, u'c'), padded(std::string(63, 'c')), std::u16string(63, u'c')},
      {u'x' + x61 + u"価zz", cut(std::string(62, 'x')), u'x' + x61},
      {x61 + u"価zz", cut(std::string(61, 'x') + "\x89\xbf"), x61 + u"価"},
      {u"1,000円/残り2日/ｱ", padded("1,000\x89\x7e/\x8e\x63\x82\xe8" "2\x93\xfa/\xb1"), u"1,000円/残り2日/ｱ"},
      // No code: é, an emoji (one surrogate pair) and a lone surrogate give one "?" each.
      {u"caf\u00e9 \U0001F600!" + std::u16string{char16_t{0xD800}}, padded("caf? ?!?"), u"caf? ?!?"}};
  // clang-format on
  TrayIconRecord record;
  for (const auto& [status, tip, shown] : cases) {
    record.SetTip(status);
    EXPECT_EQ(std::string(record.tip.begin(), record.tip.end()), tip);
    EXPECT_EQ(record.TooltipText(), shown);
  }
}

// Window and menu host in one, logging each call with what stands at the time.
struct MouseFixture : testing::FakeWindow, TrayMenuHost {
  std::string log;
  MonitorState state;
  LocalSeconds now;
  std::string Now() const {
    return std::string(state.alert ? " alert" : "") + (state.lastMinute ? "" : " redraw") +
           (timerOn ? " ticking" : "") +
           (state.menuHoldsUntil
                ? " held " + std::to_string((*state.menuHoldsUntil - now).count()) + "s"
                : "");
  }
  void OpenUrl() override { log += "open url,"; }
  void BringWindowToForeground() override { log += "foreground" + Now() + ","; }
  void ProcessPendingEvents() override { log += "pending,"; }
  void PopupMenu() override { log += "popup,"; }
  void ShowConfig() override { log += "config,"; }
};

TEST(TrayMouse, EachActionDoesItsSteps) {
  const LocalSeconds now = MakeLocalTime(2026, 12, 7, 9, 0, 0);
  const std::string held = " held 30s";
  // clang-format off
  const std::pair<TrayMouse, std::string> cases[] = {
      {TrayMouse::kMove, " redraw ticking"}, {TrayMouse::kLeftPress, " redraw ticking held 5s"},
      {TrayMouse::kLeftRelease, " alert ticking held 5s"},
      {TrayMouse::kLeftDoubleClick, "open url, alert ticking held 5s"},
      {TrayMouse::kRightPress, "foreground redraw ticking" + held + ",pending,popup, redraw ticking" + held},
      {TrayMouse::kHostMenuOpened, " redraw ticking" + held},
      {TrayMouse::kMenuClosed, " alert redraw ticking"},
      {TrayMouse::kRightRelease, " alert ticking held 5s"},
      {TrayMouse::kRightDoubleClick, "config, alert ticking held 5s"}, {TrayMouse::kMiddle, " alert ticking held 5s"}};
  // clang-format on
  for (const auto& [action, steps] : cases) {
    MouseFixture f;
    f.state.alert = true;
    f.state.lastMinute = LocalMinute{};
    f.state.menuHoldsUntil = now + std::chrono::seconds{5};  // a menu is open
    f.timerOn = action != TrayMouse::kMove;  // so the move shows it switches the tick on
    f.now = now;
    OnTrayMouse(action, now, f.state, f, f);
    EXPECT_EQ(f.log + f.Now(), steps) << static_cast<int>(action);
  }
}

}  // namespace
}  // namespace lotwarden
