// SPDX-License-Identifier: MIT
#include "tray/clock_face.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

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

// A plain decimal number that fits a 16-bit signed integer, or nothing.
std::optional<std::int16_t> ReadNumber(std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > INT16_MAX) return std::nullopt;
  }
  return static_cast<std::int16_t>(value);
}

void DrawHand(DrawingSurface& surface, float angle, double length) {
  const double theta = angle - kQuarterTurn;
  surface.Line(kCentreX, kCentreY, static_cast<float>(length * std::cos(theta)),
               static_cast<float>(length * std::sin(theta)));
}

}  // namespace

void DrawClockFace(const std::u16string& minuteText, MonitorState& state, DrawingSurface& surface) {
  surface.Cls();

  state.faceColour = (state.faceColour == kFaceGrey && state.alert) ? kFaceYellow : kFaceGrey;
  surface.SetFillColor(FaceRgb(state.faceColour));
  surface.SetFillStyle(kFillSolid);
  surface.Circle(kCentreX, kCentreY, kRadius, kFaceOutline);

  const std::u16string_view text = minuteText;
  const std::size_t colon = text.find(u':');
  std::int16_t hours = 0;
  std::int16_t minutes = 0;
  if (colon != std::u16string_view::npos) {
    hours = ReadNumber(text.substr(0, colon)).value_or(0);
    minutes = ReadNumber(text.substr(colon + 1)).value_or(0);
  }

  float angle = static_cast<float>(minutes * kRadiansPerMinute);
  DrawHand(surface, angle, kMinuteHand);
  angle = static_cast<float>(hours * kRadiansPerHour + angle / kMinutesDivisor);
  DrawHand(surface, angle, kHourHand);
}

}  // namespace lotwarden
