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
  void Clear() override { log.push_back("clear"); }
  void Circle(float x, float y, float r, Rgb outline, Rgb fill) override {
    log.push_back("circle " + Num(x) + " " + Num(y) + " " + Num(r) + " " + Text(outline) +
                  " fill " + Text(fill));
  }
  void Line(float x, float y, float dx, float dy) override {
    log.push_back("line");
    lines.push_back({x, y, dx, dy});
  }
};

Recorder Draw(int hour, int minute, FaceFill fill = FaceFill::kGrey) {
  Recorder surface;
  DrawClockFace(surface, hour, minute, fill);
  return surface;
}

double TwoDecimals(float from, float offset) {
  return std::round((static_cast<double>(from) + offset) * 100.0) / 100.0;
}

TEST(ClockFaceTest, DrawsFaceThenMinuteHandThenHourHand) {
  // Which line is which hand shows in the worked values below.
  EXPECT_EQ(Draw(3, 0).log,
            (std::vector<std::string>{"clear", "circle 160 162 160 128,128,128 fill 192,192,192",
                                      "line", "line"}));
  EXPECT_EQ(Draw(3, 0, FaceFill::kYellow).log.at(1),
            "circle 160 162 160 128,128,128 fill 255,255,0");
}

TEST(ClockFaceTest, HandEndPointsMatchWorkedValues) {
  // End points of the minute hand, then the hour hand, to two decimals.
  const struct {
    int hour, minute;
    std::array<double, 4> ends;
  } cases[] = {
      {3, 0, {160.13, 2.00, 260.00, 162.08}},  {9, 30, {159.97, 322.00, 63.43, 136.04}},
      {12, 0, {160.13, 2.00, 160.08, 62.00}},  {21, 5, {240.10, 23.49, 60.10, 157.56}},
      {6, 45, {0.00, 162.01, 121.66, 254.36}},
  };
  for (const auto& [hour, minute, ends] : cases) {
    SCOPED_TRACE(::testing::Message() << hour << ":" << minute);
    const auto lines = Draw(hour, minute).lines;
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
  for (const auto& [a, b] : {std::pair{0, 12}, std::pair{15, 3}}) {
    SCOPED_TRACE(a);
    const auto first = Draw(a, 0).lines;
    const auto second = Draw(b, 0).lines;
    EXPECT_EQ(first.at(0), second.at(0));
    // 12 x 0.5236 is not exactly a full turn: the hour hands agree to well under 0.01 twip.
    EXPECT_NEAR(first.at(1)[2], second.at(1)[2], 0.005);
    EXPECT_NEAR(first.at(1)[3], second.at(1)[3], 0.005);
  }
}

TEST(ClockFaceTest, BlinksWhileAlertingAndTurnsGreyWhenCleared) {
  // Each step: alert at the drawing, fill after it.
  const std::pair<bool, FaceFill> steps[] = {
      {false, FaceFill::kGrey},  {true, FaceFill::kYellow}, {true, FaceFill::kGrey},
      {true, FaceFill::kYellow}, {false, FaceFill::kGrey},  {false, FaceFill::kGrey},
      {true, FaceFill::kYellow}, {true, FaceFill::kGrey},   {false, FaceFill::kGrey},
  };
  FaceFill fill = FaceFill::kGrey;
  int n = 0;
  for (const auto& [alert, after] : steps) {
    SCOPED_TRACE(n++);
    fill = NextFaceFill(fill, alert);
    EXPECT_EQ(fill, after);
  }
}

}  // namespace
}  // namespace lotwarden
