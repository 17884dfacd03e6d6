// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "monitor/monitor_state.h"

namespace lotwarden {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Light grey is also the tray icon's mask colour: a grey face is see-through there.
inline constexpr Rgb kLightGrey{192, 192, 192};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kFaceOutline{128, 128, 128};
// The hands share the rim's grey: it stands out at 3:1 or more against a black panel (5.3), a
// white one (4.0), dark themes' greys and the blinking yellow (3.7), where black hands vanish
// on the dark panels that most desktops use.
inline constexpr Rgb kHands = kFaceOutline;

constexpr Rgb FillRgb(FaceFill fill) {
  return fill == FaceFill::kYellow ? kYellow : kLightGrey;
}

// The off-screen picture the clock face is painted on. Coordinates are twips (1/1440 inch),
// x to the right and y downward from the top-left corner of the drawing area.
class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;
  // Clears the whole drawing area to the background colour.
  virtual void Clear() = 0;
  // A full circle in the outline colour, filled with the fill colour.
  virtual void Circle(float x, float y, float radius, Rgb outline, Rgb fill) = 0;
  // A straight line in the hands' colour from (x, y) to (x + dx, y + dy).
  virtual void Line(float x, float y, float dx, float dy) = 0;
};

// Paints the clock face of hour:minute (hour 0 to 23) with the face filled in `fill`.
void DrawClockFace(DrawingSurface& surface, int hour, int minute, FaceFill fill);

}  // namespace lotwarden
