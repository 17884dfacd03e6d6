// SPDX-License-Identifier: MIT
#include "tray/qt/qt_clock_surface.h"

#include <QColor>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QVersionNumber>
#include <algorithm>
#include <cmath>
#include <utility>

namespace lotwarden {
namespace {

constexpr QRgb kMaskRgb = 0xC0C0C0;

QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

// Qt 6.8 hands QIconEngine::scaledPixmap the size in logical pixels, earlier versions in device
// pixels. The Qt loaded at run time decides: a package built against 6.4 runs on 6.8 too.
bool ScaledPixmapSizeIsLogical() {
  static const bool logical = QLibraryInfo::version() >= QVersionNumber(6, 8);
  return logical;
}

// Draws one face at every size asked for and keeps those pixmaps only as long as the icon lives.
// (QIcon's own pixmap engine would also put each into the application-wide QPixmapCache, where a
// replaced face stays until the cache is full: a new face every minute, and every second while
// blinking, made the program grow for weeks.)
class FaceIconEngine : public QIconEngine {
 public:
  FaceIconEngine(const FaceReading& face, QList<QSize> sizes)
      : face_(face), sizes_(std::move(sizes)) {}
  QIconEngine* clone() const override { return new FaceIconEngine(face_, sizes_); }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return sizes_; }
  // A square face, as large as fits.
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return {side, side};
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::max(1, std::min(size.width(), size.height()));
    for (const QPixmap& drawn : drawn_) {
      if (drawn.width() == side) return drawn;
    }
    QtClockSurface surface(side);
    DrawClockFace(surface, face_.hour, face_.minute, face_.fill);
    drawn_.append(QPixmap::fromImage(MaskedIconImage(surface.image(), 1.0)));
    return drawn_.back();
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    QPixmap drawn = pixmap(ScaledPixmapSizeIsLogical() ? size * scale : size, mode, state);
    drawn.setDevicePixelRatio(scale);
    return drawn;
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
    painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
  }

 private:
  FaceReading face_;
  QList<QSize> sizes_;
  QList<QPixmap> drawn_;
};

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
  painter.setPen(QPen(ToQColor(kHands), LineWidth(), Qt::SolidLine, Qt::FlatCap));
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

QIcon FaceIcon(const FaceReading& face, QList<QSize> sizes) {
  return QIcon(new FaceIconEngine(face, std::move(sizes)));
}

QIcon ClockFaceWindowIcon(int hour, int minute) {
  QList<QSize> sizes;
  for (const int side : kFaceIconSizes)
    sizes.append(QSize(side, side));
  return FaceIcon({hour, minute, FaceFill::kGrey}, std::move(sizes));
}

}  // namespace lotwarden
