// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <limits>

#include "tray/clock_face.h"

namespace lotwarden {

// Measures what a drawing covers, lines of the given width included, in twips.
class ExtentSurface : public DrawingSurface {
 public:
  explicit ExtentSurface(float line) : half_(line / 2) {}

  float line() const { return half_ * 2; }
  float left() const { return left_; }
  float top() const { return top_; }
  float right() const { return right_; }
  float bottom() const { return bottom_; }

  void Clear() override {
    left_ = top_ = std::numeric_limits<float>::max();
    right_ = bottom_ = std::numeric_limits<float>::lowest();
  }
  void Circle(float x, float y, float radius, Rgb, Rgb) override {
    Cover(x - radius, y - radius);
    Cover(x + radius, y + radius);
  }
  void Line(float x, float y, float dx, float dy) override {
    Cover(x, y);
    Cover(x + dx, y + dy);
  }

 private:
  void Cover(float x, float y) {
    left_ = std::min(left_, x - half_);
    top_ = std::min(top_, y - half_);
    right_ = std::max(right_, x + half_);
    bottom_ = std::max(bottom_, y + half_);
  }

  float half_;
  float left_ = std::numeric_limits<float>::max();
  float top_ = std::numeric_limits<float>::max();
  float right_ = std::numeric_limits<float>::lowest();
  float bottom_ = std::numeric_limits<float>::lowest();
};

// Draws onto another surface moved and scaled so that a measured drawing sits centred in a
// square picture, a margin away from every edge. The clock face reaches the very edge of its
// picture, where half the rim's line would be cut off; an icon shows it whole. Lines keep
// the target's width (the extent's line), so only the geometry between them is scaled.
class FramedSurface : public DrawingSurface {
 public:
  FramedSurface(DrawingSurface& target, const ExtentSurface& extent, float side, float margin)
      : target_(target) {
    const float line = extent.line();
    const float width = extent.right() - extent.left() - line;
    const float height = extent.bottom() - extent.top() - line;
    scale_ = (side - 2 * margin - line) / std::max(width, height);
    dx_ = (side - width * scale_) / 2 - (extent.left() + line / 2) * scale_;
    dy_ = (side - height * scale_) / 2 - (extent.top() + line / 2) * scale_;
  }

  float scale() const { return scale_; }

  void Clear() override { target_.Clear(); }
  void Circle(float x, float y, float radius, Rgb outline, Rgb fill) override {
    target_.Circle(x * scale_ + dx_, y * scale_ + dy_, radius * scale_, outline, fill);
  }
  void Line(float x, float y, float dx, float dy) override {
    target_.Line(x * scale_ + dx_, y * scale_ + dy_, dx * scale_, dy * scale_);
  }

 private:
  DrawingSurface& target_;
  float scale_ = 1;
  float dx_ = 0;
  float dy_ = 0;
};

}  // namespace lotwarden
