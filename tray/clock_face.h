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
// The rim and the hands: a grey that stands out at 3:1 or more against a black panel (4.8), a
// white one (4.4), the light and dark greys of common panel themes (220,218,213: 3.1;
// 42,46,50: 3.1) and the blinking yellow (4.1). Black hands vanish on dark panels.
inline constexpr Rgb kFaceOutline{120, 120, 120};
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
