// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "monitor/monitor_state.h"

namespace lotwarden {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The two fill colours of the face, by their index in the standard 16-colour table.
inline constexpr std::int16_t kFaceGrey = 7;
inline constexpr std::int16_t kFaceYellow = 14;
inline constexpr Rgb kLightGrey{192, 192, 192};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kFaceOutline{128, 128, 128};

// FillStyle value for a solid fill.
inline constexpr int kFillSolid = 0;

// RGB of a face colour index: 14 is yellow, every other value light grey.
constexpr Rgb FaceRgb(std::int16_t colourIndex) {
  return colourIndex == kFaceYellow ? kYellow : kLightGrey;
}

// The off-screen picture the clock face is painted on. Coordinates are twips, x to the
// right and y downward from the top-left corner of the drawing area.
class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;
  // Clears the whole drawing area to the background colour.
  virtual void Cls() = 0;
  // Colour with which closed figures are filled.
  virtual void SetFillColor(Rgb colour) = 0;
  // kFillSolid: solid fill.
  virtual void SetFillStyle(int style) = 0;
  // A full circle in the given outline colour, filled with the fill colour and style.
  virtual void Circle(float x, float y, float radius, Rgb outline) = 0;
  // A straight line in the foreground colour from (x, y) to (x + dx, y + dy).
  virtual void Line(float x, float y, float dx, float dy) = 0;
};

// Paints the clock face of minuteText ("H:MM", as HourMinute makes it) and advances the
// blink: while state.alert stands the fill alternates grey and yellow from one drawing to
// the next; otherwise it is grey. An hour or minute that cannot be read as a whole number
// from 0 to 32767 counts as 0, so a malformed text still draws a face.
void DrawClockFace(const std::u16string& minuteText, MonitorState& state, DrawingSurface& surface);

}  // namespace lotwarden
