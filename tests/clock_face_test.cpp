// SPDX-License-Identifier: MIT
#include "tray/clock_face.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace lotwarden {
namespace {

std::string Num(float v) {
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}
std::string Text(Rgb c) {
  return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

// Logs every drawing call; the lines also as numbers.
struct Recorder : DrawingSurface {
  std::vector<std::string> log;
  std::vector<std::array<float, 4>> lines;
  void Cls() override { log.push_back("cls"); }
  void SetFillColor(Rgb c) override { log.push_back("fill " + Text(c)); }
  void SetFillStyle(int style) override { log.push_back("style " + std::to_string(style)); }
  void Circle(float x, float y, float r, Rgb outline) override {
    log.push_back("circle " + Num(x) + " " + Num(y) + " " + Num(r) + " " + Text(outline));
  }
  void Line(float x, float y, float dx, float dy) override {
    log.push_back("line");
    lines.push_back({x, y, dx, dy});
  }
};

Recorder Draw(const std::u16string& minute) {
  MonitorState state;
  Recorder surface;
  DrawClockFace(minute, state, surface);
  return surface;
}

double TwoDecimals(float from, float offset) {
  return std::round((static_cast<double>(from) + offset) * 100.0) / 100.0;
}

TEST(ClockFaceTest, DrawsFaceThenMinuteHandThenHourHand) {
  // Which line is which hand shows in the worked values below.
  EXPECT_EQ(Draw(u"3:00").log,
            (std::vector<std::string>{"cls", "fill 192,192,192", "style 0",
                                      "circle 160 162 160 128,128,128", "line", "line"}));
}

TEST(ClockFaceTest, HandEndPointsMatchWorkedValues) {
  // End points of the minute hand, then the hour hand, to two decimals.
  const std::pair<std::u16string, std::array<double, 4>> cases[] = {
      {u"3:00", {160.13, 2.00, 260.00, 162.08}}, {u"9:30", {159.97, 322.00, 63.43, 136.04}},
      {u"12:00", {160.13, 2.00, 160.08, 62.00}}, {u"21:05", {240.10, 23.49, 60.10, 157.56}},
      {u"6:45", {0.00, 162.01, 121.66, 254.36}},
  };
  for (const auto& [minute, ends] : cases) {
    SCOPED_TRACE(::testing::PrintToString(minute));
    const auto lines = Draw(minute).lines;
    ASSERT_EQ(lines.size(), 2u);
    for (std::size_t hand = 0; hand < 2; ++hand) {
      const auto& [x, y, dx, dy] = lines[hand];
      EXPECT_EQ(x, 160.0f);
      EXPECT_EQ(y, 162.0f);
      EXPECT_DOUBLE_EQ(TwoDecimals(x, dx), ends[2 * hand]);
      EXPECT_DOUBLE_EQ(TwoDecimals(y, dy), ends[2 * hand + 1]);
    }
  }
}

TEST(ClockFaceTest, TwelveHoursApartDrawTheSameHands) {
  for (const auto& [a, b] : {std::pair{u"0:00", u"12:00"}, std::pair{u"15:00", u"3:00"}}) {
    SCOPED_TRACE(::testing::PrintToString(a));
    const auto first = Draw(a).lines;
    const auto second = Draw(b).lines;
    EXPECT_EQ(first.at(0), second.at(0));
    // 12 x 0.5236 is not exactly a full turn: the hour hands agree to well under 0.01 twip.
    EXPECT_NEAR(first.at(1)[2], second.at(1)[2], 0.005);
    EXPECT_NEAR(first.at(1)[3], second.at(1)[3], 0.005);
  }
}

TEST(ClockFaceTest, UnreadablePartsCountAsZero) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"", u"0:00"},      {u"12", u"0:00"},    {u":", u"0:00"},           {u"ab:cd", u"0:00"},
      {u"-1:05", u"0:05"}, {u"x:00", u"0:00"},  {u"3:xx", u"3:00"},        {u"1:2:3", u"1:00"},
      {u" 9:05", u"0:05"}, {u"09:05", u"9:05"}, {u"99999:99999", u"0:00"}, {u"９:０５", u"0:00"},
  };
  for (const auto& [text, readAs] : cases) {
    SCOPED_TRACE(::testing::PrintToString(text));
    EXPECT_EQ(Draw(text).lines, Draw(readAs).lines);
  }
}

TEST(ClockFaceTest, BlinksWhileAlertingAndTurnsGreyWhenCleared) {
  // Each step: alert at the drawing, face colour after it.
  const std::pair<bool, std::int16_t> steps[] = {
      {false, 7}, {true, 14}, {true, 7},  {true, 14}, {true, 7},  {true, 14},
      {false, 7}, {false, 7}, {true, 14}, {true, 7},  {false, 7},
  };
  MonitorState state;
  int n = 0;
  for (const auto& [alert, colour] : steps) {
    SCOPED_TRACE(n++);
    state.alert = alert;
    Recorder surface;
    DrawClockFace(u"9:30", state, surface);
    EXPECT_EQ(state.faceColour, colour);
    EXPECT_EQ(surface.log.at(1), colour == 14 ? "fill 255,255,0" : "fill 192,192,192");
    EXPECT_EQ(state.alert, alert);
  }
}

}  // namespace
}  // namespace lotwarden
