#include "tray/clock_face.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

namespace lotwarden {
namespace {

struct ClsCall {
  friend bool operator==(const ClsCall&, const ClsCall&) = default;
};
struct FillColorCall {
  Rgb colour;
  friend bool operator==(const FillColorCall&, const FillColorCall&) = default;
};
struct FillStyleCall {
  int style;
  friend bool operator==(const FillStyleCall&, const FillStyleCall&) = default;
};
struct CircleCall {
  float x, y, radius;
  Rgb outline;
  friend bool operator==(const CircleCall&, const CircleCall&) = default;
};
struct LineCall {
  float x, y, dx, dy;
  friend bool operator==(const LineCall&, const LineCall&) = default;
};
using Call = std::variant<ClsCall, FillColorCall, FillStyleCall, CircleCall, LineCall>;

// Records every drawing operation in order.
class RecordingSurface : public DrawingSurface {
 public:
  std::vector<Call> calls;

  void Cls() override { calls.emplace_back(ClsCall{}); }
  void SetFillColor(Rgb colour) override { calls.emplace_back(FillColorCall{colour}); }
  void SetFillStyle(int style) override { calls.emplace_back(FillStyleCall{style}); }
  void Circle(float x, float y, float radius, Rgb outline) override {
    calls.emplace_back(CircleCall{x, y, radius, outline});
  }
  void Line(float x, float y, float dx, float dy) override {
    calls.emplace_back(LineCall{x, y, dx, dy});
  }

  std::vector<LineCall> Lines() const {
    std::vector<LineCall> lines;
    for (const Call& call : calls) {
      if (const auto* line = std::get_if<LineCall>(&call)) lines.push_back(*line);
    }
    return lines;
  }
  Rgb LastFill() const {
    Rgb fill{};
    for (const Call& call : calls) {
      if (const auto* f = std::get_if<FillColorCall>(&call)) fill = f->colour;
    }
    return fill;
  }
};

std::vector<LineCall> Hands(const std::u16string& minuteText) {
  MonitorState state;
  RecordingSurface surface;
  DrawClockFace(minuteText, state, surface);
  return surface.Lines();
}

// An end point to two decimals, as the worked values are given ("-0.00" reads as 0).
double TwoDecimals(float from, float offset) {
  const double rounded = std::round((static_cast<double>(from) + offset) * 100.0) / 100.0;
  return rounded == 0.0 ? 0.0 : rounded;
}

struct HandCase {
  std::u16string minute;
  double minuteX, minuteY, hourX, hourY;
};

TEST(ClockFaceTest, HandEndPointsMatchWorkedValues) {
  const std::vector<HandCase> cases = {
      {u"3:00", 160.13, 2.00, 260.00, 162.08},  {u"9:30", 159.97, 322.00, 63.43, 136.04},
      {u"12:00", 160.13, 2.00, 160.08, 62.00},  {u"0:00", 160.13, 2.00, 160.08, 62.00},
      {u"21:05", 240.10, 23.49, 60.10, 157.56}, {u"6:45", 0.00, 162.01, 121.66, 254.36},
  };
  for (const HandCase& c : cases) {
    SCOPED_TRACE(std::string(c.minute.begin(), c.minute.end()));
    const std::vector<LineCall> lines = Hands(c.minute);
    ASSERT_EQ(lines.size(), 2u);
    for (const LineCall& line : lines) {
      EXPECT_EQ(line.x, 160.0f);
      EXPECT_EQ(line.y, 162.0f);
    }
    EXPECT_DOUBLE_EQ(TwoDecimals(lines[0].x, lines[0].dx), c.minuteX);
    EXPECT_DOUBLE_EQ(TwoDecimals(lines[0].y, lines[0].dy), c.minuteY);
    EXPECT_DOUBLE_EQ(TwoDecimals(lines[1].x, lines[1].dx), c.hourX);
    EXPECT_DOUBLE_EQ(TwoDecimals(lines[1].y, lines[1].dy), c.hourY);
  }
}

TEST(ClockFaceTest, TwelveHoursApartDrawTheSameHands) {
  const std::vector<std::pair<std::u16string, std::u16string>> pairs = {
      {u"0:00", u"12:00"}, {u"15:00", u"3:00"}, {u"23:59", u"11:59"}, {u"13:07", u"1:07"}};
  for (const auto& [a, b] : pairs) {
    SCOPED_TRACE(std::string(a.begin(), a.end()));
    const std::vector<LineCall> first = Hands(a);
    const std::vector<LineCall> second = Hands(b);
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(first[0], second[0]);
    // The hour angle differs by 12 x 0.5236 (not exactly a full turn), so compare to
    // well under a hundredth of a twip.
    EXPECT_NEAR(first[1].dx, second[1].dx, 0.005);
    EXPECT_NEAR(first[1].dy, second[1].dy, 0.005);
  }
}

TEST(ClockFaceTest, LeadingZerosAreRead) {
  EXPECT_EQ(Hands(u"09:05"), Hands(u"9:05"));
  EXPECT_EQ(Hands(u"21:5"), Hands(u"21:05"));
}

TEST(ClockFaceTest, HourHandAdvancesWithTheMinutes) {
  // At minute 59 the hour hand is 59 x 0.1047 / 12 = 0.5148 rad past the hour, just short
  // of the next hour's mark.
  const LineCall at59 = Hands(u"2:59")[1];
  const LineCall at00 = Hands(u"3:00")[1];
  const double angle59 = std::atan2(at59.dy, at59.dx);
  const double angle00 = std::atan2(at00.dy, at00.dx);
  EXPECT_NEAR(angle00 - angle59, 0.5236 - 0.5148, 1e-4);
}

TEST(ClockFaceTest, MalformedTextsStillDrawAFaceWithHandsAtZero) {
  const std::vector<LineCall> zero = Hands(u"0:00");
  for (const std::u16string text :
       {u"", u"12", u":", u"ab:cd", u"-1:05", u"99999:99999", u"1:2:3", u" 9:05", u"９:０５"}) {
    SCOPED_TRACE(std::string(text.begin(), text.end()));
    MonitorState state;
    RecordingSurface surface;
    DrawClockFace(text, state, surface);
    ASSERT_EQ(surface.calls.size(), 6u);
    EXPECT_TRUE(std::holds_alternative<CircleCall>(surface.calls[3]));
  }
  // Only the unreadable part counts as zero.
  EXPECT_EQ(Hands(u"x:00"), zero);
  EXPECT_EQ(Hands(u"3:xx")[0], zero[0]);
  EXPECT_EQ(Hands(u"3:xx")[1], Hands(u"3:00")[1]);
  EXPECT_EQ(Hands(u"1:2:3")[0], zero[0]);  // "2:3" is no number
}

TEST(ClockFaceTest, DrawsInOrderClsFillCircleMinuteHourHand) {
  MonitorState state;
  RecordingSurface surface;
  DrawClockFace(u"3:00", state, surface);
  ASSERT_EQ(surface.calls.size(), 6u);
  EXPECT_EQ(surface.calls[0], Call(ClsCall{}));
  EXPECT_EQ(surface.calls[1], Call(FillColorCall{Rgb{192, 192, 192}}));
  EXPECT_EQ(surface.calls[2], Call(FillStyleCall{0}));
  EXPECT_EQ(surface.calls[3], Call(CircleCall{160, 162, 160, Rgb{128, 128, 128}}));
  // At 3:00 the minute hand points up (long) and the hour hand right (short).
  const auto& minute = std::get<LineCall>(surface.calls[4]);
  const auto& hour = std::get<LineCall>(surface.calls[5]);
  EXPECT_NEAR(minute.dy, -160, 0.01);
  EXPECT_NEAR(hour.dx, 100, 0.01);
}

TEST(ClockFaceTest, BlinksWhileAlertingAndTurnsGreyWhenCleared) {
  struct Step {
    bool alert;
    std::int16_t colour;
  };
  // Each row: alert at the drawing, face colour after it.
  const std::vector<Step> steps = {
      {false, 7}, {true, 14}, {true, 7},  {true, 14}, {true, 7},  {true, 14},
      {false, 7}, {false, 7}, {true, 14}, {true, 7},  {false, 7}, {true, 14},
  };
  MonitorState state;
  ASSERT_EQ(state.faceColour, 7);
  int n = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(n++);
    state.alert = step.alert;
    RecordingSurface surface;
    DrawClockFace(u"9:30", state, surface);
    EXPECT_EQ(state.faceColour, step.colour);
    EXPECT_EQ(surface.LastFill(), (step.colour == 14 ? Rgb{255, 255, 0} : Rgb{192, 192, 192}));
    EXPECT_EQ(state.alert, step.alert);  // only read
  }
}

TEST(ClockFaceTest, AnyOtherPreviousColourBecomesGrey) {
  for (const std::int16_t previous : {0, 1, 8, 14, 15, -1, 32767}) {
    for (const bool alert : {false, true}) {
      MonitorState state;
      state.faceColour = previous;
      state.alert = alert;
      RecordingSurface surface;
      DrawClockFace(u"1:00", state, surface);
      EXPECT_EQ(state.faceColour, 7) << previous << " alert " << alert;
      EXPECT_EQ(surface.LastFill(), (Rgb{192, 192, 192}));
    }
  }
}

}  // namespace
}  // namespace lotwarden
