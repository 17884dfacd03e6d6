// SPDX-License-Identifier: MIT
#include "tray/clock_face.h"

#include <cmath>
#include <cstdint>

namespace lotwarden {
namespace {

// The face's geometry in twips. The angle constants are deliberately the rounded values
// the face has always been drawn with, not exact fractions of a turn.
constexpr float kCentreX = 160;
constexpr float kCentreY = 162;
constexpr float kRadius = 160;
constexpr double kMinuteHand = 160;
constexpr double kHourHand = 100;
constexpr double kRadiansPerMinute = 0.1047;
constexpr double kRadiansPerHour = 0.5236;
constexpr double kQuarterTurn = 1.57;
constexpr std::int32_t kMinutesDivisor = 12;

void DrawHand(DrawingSurface& surface, float angle, double length) {
  const double theta = angle - kQuarterTurn;
  surface.Line(kCentreX, kCentreY, static_cast<float>(length * std::cos(theta)),
               static_cast<float>(length * std::sin(theta)));
}

}  // namespace

void DrawClockFace(DrawingSurface& surface, int hour, int minute, FaceFill fill) {
  surface.Clear();
  surface.Circle(kCentreX, kCentreY, kRadius, kFaceOutline, FillRgb(fill));

  float angle = static_cast<float>(minute * kRadiansPerMinute);
  DrawHand(surface, angle, kMinuteHand);
  angle = static_cast<float>(hour * kRadiansPerHour + angle / kMinutesDivisor);
  DrawHand(surface, angle, kHourHand);
}

}  // namespace lotwarden
