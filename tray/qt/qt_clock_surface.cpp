// SPDX-License-Identifier: MIT
#include "tray/qt/qt_clock_surface.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace lotwarden {
namespace {

constexpr QRgb kMaskRgb = 0xC0C0C0;

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

}  // namespace

QtClockSurface::QtClockSurface(int pixels) {
  Resize(pixels);
}

void QtClockSurface::Resize(int pixels) {
  pixels = std::max(pixels, 1);
  if (!image_.isNull() && image_.width() == pixels) return;
  image_ = QImage(pixels, pixels, QImage::Format_RGB32);
  Clear();
}

int QtClockSurface::LineWidth() const {
  return std::max(
      1, static_cast<int>(std::lround(static_cast<double>(image_.width()) / kReferencePixels)));
}

QPointF QtClockSurface::ToPixels(float x, float y) const {
  const double scale = static_cast<double>(image_.width()) / kSideTwips;
  return QPointF(x * scale, y * scale);
}

void QtClockSurface::Clear() {
  image_.fill(ToQColor(kLightGrey));
}

void QtClockSurface::Circle(float x, float y, float radius, Rgb outline, Rgb fill) {
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(ToQColor(outline), LineWidth()));
  painter.setBrush(ToQColor(fill));
  const double r = radius * static_cast<double>(image_.width()) / kSideTwips;
  painter.drawEllipse(ToPixels(x, y), r, r);
}

void QtClockSurface::Line(float x, float y, float dx, float dy) {
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  // Flat ends: a hand ends where its length says, at every line width.
  painter.setPen(QPen(Qt::black, LineWidth(), Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(ToPixels(x, y), ToPixels(x + dx, y + dy));
}

QImage MaskedIconImage(const QImage& raster, qreal devicePixelRatio) {
  QImage icon = raster.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < icon.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(icon.scanLine(y));
    for (int x = 0; x < icon.width(); ++x) {
      line[x] = (line[x] & 0xFFFFFF) == kMaskRgb ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000);
    }
  }
  icon.setDevicePixelRatio(devicePixelRatio);
  return icon;
}

QIcon ClockFaceWindowIcon(int hour, int minute) {
  QIcon icon;
  for (int pixels : {16, 32}) {
    QtClockSurface surface(pixels);
    DrawClockFace(surface, hour, minute, FaceFill::kGrey);
    icon.addPixmap(QPixmap::fromImage(MaskedIconImage(surface.image(), 1.0)));
  }
  return icon;
}

}  // namespace lotwarden
