// SPDX-License-Identifier: MIT
// Renders the program's icon files from its own clock-face drawing: a masked PNG at each
// requested size and one scalable SVG, the face framed whole in each. Run at build time.
// Usage: render_icons OUTPUT_DIR SIZE...
// Writes OUTPUT_DIR/lotwarden-SIZE.png for each size and OUTPUT_DIR/lotwarden.svg.
#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tools/framed_surface.h"
#include "tools/svg_clock_surface.h"
#include "tray/clock_face.h"
#include "tray/qt/qt_clock_surface.h"

namespace {

// The time the icon shows: hands apart, like a clock on a shop sign.
constexpr int kIconHour = 10;
constexpr int kIconMinute = 10;
// Room between the face's rim and the icon's edge: half a pixel of the tray's picture.
constexpr float kMarginTwips = lotwarden::QtClockSurface::kTwipsPerReferencePixel / 2.0f;

// Draws the icon's face onto surface, framed whole inside its picture: line is the width of
// the surface's lines and margin the room left at each edge, in twips.
void DrawIconFace(lotwarden::DrawingSurface& surface, float line, float margin) {
  // A grey face: see-through, like the tray's when no alert stands.
  lotwarden::ExtentSurface extent(line);
  lotwarden::DrawClockFace(extent, kIconHour, kIconMinute, lotwarden::FaceFill::kGrey);
  lotwarden::FramedSurface framed(surface, extent, lotwarden::QtClockSurface::kSideTwips, margin);
  lotwarden::DrawClockFace(framed, kIconHour, kIconMinute, lotwarden::FaceFill::kGrey);
}

bool WritePng(const std::string& path, int pixels) {
  lotwarden::QtClockSurface surface(pixels);
  // Room as in the SVG, and at least a pixel: aliased drawing may round outwards.
  const float pixel = static_cast<float>(lotwarden::QtClockSurface::kSideTwips) / pixels;
  DrawIconFace(surface, pixel * surface.LineWidth(), std::max(kMarginTwips, pixel));
  return lotwarden::MaskedIconImage(surface.image(), 1.0).save(QString::fromStdString(path), "PNG");
}

bool WriteSvg(const std::string& path) {
  lotwarden::SvgClockSurface surface(lotwarden::QtClockSurface::kSideTwips,
                                     lotwarden::QtClockSurface::kTwipsPerReferencePixel);
  DrawIconFace(surface, lotwarden::QtClockSurface::kTwipsPerReferencePixel, kMarginTwips);
  std::ofstream out(path, std::ios::binary);
  out << surface.Document();
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR SIZE...\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  for (int i = 2; i < argc; ++i) {
    char* end = nullptr;
    const long pixels = std::strtol(argv[i], &end, 10);
    if (*end != '\0' || pixels < 1 || pixels > 4096) {
      std::fprintf(stderr, "render_icons: not a size: %s\n", argv[i]);
      return 2;
    }
    const std::string path = dir + "/lotwarden-" + std::to_string(pixels) + ".png";
    if (!WritePng(path, static_cast<int>(pixels))) {
      std::fprintf(stderr, "render_icons: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  const std::string svg = dir + "/lotwarden.svg";
  if (!WriteSvg(svg)) {
    std::fprintf(stderr, "render_icons: cannot write %s\n", svg.c_str());
    return 1;
  }
  return 0;
}
