// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>

#include "monitor/tray_presence.h"
#include "tray/clock_face.h"

namespace lotwarden {

// The clock face's picture: a square raster standing for 330 twips (22 pixels at 15 twips
// per pixel, just enough for the whole face), light grey with grey lines. Drawn without
// antialiasing, so every pixel is exactly one of the face's few colours and the grey stays
// an exact mask colour.
class QtClockSurface : public DrawingSurface {
 public:
  static constexpr int kReferencePixels = 22;
  static constexpr int kTwipsPerReferencePixel = 15;
  static constexpr int kSideTwips = kReferencePixels * kTwipsPerReferencePixel;

  // pixels: the raster's side in device pixels; the face scales with it.
  explicit QtClockSurface(int pixels = kReferencePixels);

  // A new side in device pixels; the picture is cleared when the size changes.
  void Resize(int pixels);
  int pixels() const { return image_.width(); }
  // Line width in device pixels: the reference raster's one pixel, scaled with the raster
  // and rounded to whole pixels so lines stay crisp.
  int LineWidth() const;
  const QImage& image() const { return image_; }

  void Clear() override;
  void Circle(float x, float y, float radius, Rgb outline, Rgb fill) override;
  void Line(float x, float y, float dx, float dy) override;

 private:
  QPointF ToPixels(float x, float y) const;

  QImage image_;
};

// The icon made from a face raster: pixels of exactly the mask colour RGB(192, 192, 192)
// become transparent, everything else stays opaque. devicePixelRatio tells Qt how many
// raster pixels make one logical pixel.
QImage MaskedIconImage(const QImage& raster, qreal devicePixelRatio);

// The sizes, in logical pixels, that window lists and docks show the program's icon at.
inline constexpr int kFaceIconSizes[] = {16, 22, 24, 32, 48};

// The face as an icon, masked like the tray's and drawn afresh at whatever size is asked for,
// never scaled from another: small faces scaled blur their one-pixel lines into the panel. It
// lists `sizes` as the sizes it has.
QIcon FaceIcon(const FaceReading& face, QList<QSize> sizes);

// The program's own icon: a grey clock face.
QIcon ClockFaceWindowIcon(int hour = 10, int minute = 10);

}  // namespace lotwarden
