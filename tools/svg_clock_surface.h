// SPDX-License-Identifier: MIT
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "tray/clock_face.h"

namespace lotwarden {

// The clock face's picture as SVG elements, in twips, so that the scalable icon comes from
// the same drawing code as the rasters. Like the icon made from the raster, the light grey
// mask colour is left unpainted: the background and a grey face are see-through.
class SvgClockSurface : public DrawingSurface {
 public:
  // side: the picture's side in twips; line: the width of outlines and hands in twips.
  explicit SvgClockSurface(int side = 330, float line = 15) : side_(side), line_(line) {}

  void Clear() override { elements_.clear(); }

  void Circle(float x, float y, float radius, Rgb outline, Rgb fill) override {
    elements_ += "<circle cx=\"" + Number(x) + "\" cy=\"" + Number(y) + "\" r=\"" + Number(radius) +
                 "\" fill=\"" + Paint(fill) + "\" stroke=\"" + Paint(outline) +
                 "\" stroke-width=\"" + Number(line_) + "\"/>\n";
  }

  // Hands have flat ends, as on the raster.
  void Line(float x, float y, float dx, float dy) override {
    elements_ += "<line x1=\"" + Number(x) + "\" y1=\"" + Number(y) + "\" x2=\"" + Number(x + dx) +
                 "\" y2=\"" + Number(y + dy) + "\" stroke=\"" + Paint(kHands) +
                 "\" stroke-width=\"" + Number(line_) + "\" stroke-linecap=\"butt\"/>\n";
  }

  // The whole document: what has been drawn since the last Clear.
  std::string Document() const {
    const std::string side = std::to_string(side_);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           side + "\" height=\"" + side + "\" viewBox=\"0 0 " + side + " " + side + "\">\n" +
           elements_ + "</svg>\n";
  }

 private:
  // Two decimals at most, without trailing zeros: 160, 2.5, 260.08.
  static std::string Number(float value) {
    char text[32];
    const double rounded = std::round(static_cast<double>(value) * 100) / 100;
    const auto end = std::to_chars(text, text + sizeof text, rounded == 0 ? 0.0 : rounded).ptr;
    return std::string(text, end);
  }

  static std::string Paint(Rgb c) {
    if (c == kLightGrey) return "none";
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
  }

  int side_;
  float line_;
  std::string elements_;
};

}  // namespace lotwarden
