// Renders the program's icon files from its own clock-face drawing: a masked PNG at each
// requested size and one scalable SVG. Run at build time.
// Usage: render_icons OUTPUT_DIR SIZE...
// Writes OUTPUT_DIR/lotwarden-SIZE.png for each size and OUTPUT_DIR/lotwarden.svg.
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "monitor/monitor_state.h"
#include "tools/svg_clock_surface.h"
#include "tray/clock_face.h"
#include "tray/qt/qt_clock_surface.h"

namespace {

// The time the icon shows: hands apart, like a clock on a shop sign.
constexpr char16_t kIconMinute[] = u"10:10";

bool WritePng(const std::string& path, int pixels) {
  lotwarden::MonitorState state;  // no alert: a grey, see-through face
  lotwarden::QtClockSurface surface(pixels);
  lotwarden::DrawClockFace(kIconMinute, state, surface);
  return lotwarden::MaskedIconImage(surface.image(), 1.0).save(QString::fromStdString(path), "PNG");
}

bool WriteSvg(const std::string& path) {
  lotwarden::MonitorState state;
  lotwarden::SvgClockSurface surface(lotwarden::QtClockSurface::kSideTwips,
                                     lotwarden::QtClockSurface::kTwipsPerReferencePixel);
  lotwarden::DrawClockFace(kIconMinute, state, surface);
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
