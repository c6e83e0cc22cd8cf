#include "pixel_transform.h"

#include <cstring>
#include <utility>

CPixelTransform::CPixelTransform(uint32_t width, uint32_t height)
    : width_(width), height_(height) {}

void CPixelTransform::Then(int64_t a, int64_t b, int64_t c, int64_t d, int64_t e, int64_t f) {
  const int64_t ux = ux_ * a + uy_ * d;
  const int64_t uy = ux_ * b + uy_ * e;
  const int64_t u0 = ux_ * c + uy_ * f + u0_;
  const int64_t vx = vx_ * a + vy_ * d;
  const int64_t vy = vx_ * b + vy_ * e;
  const int64_t v0 = vx_ * c + vy_ * f + v0_;
  ux_ = ux;
  uy_ = uy;
  u0_ = u0;
  vx_ = vx;
  vy_ = vy;
  v0_ = v0;
}

bool CPixelTransform::Crop(uint32_t left, uint32_t top, uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || left >= width_ || top >= height_ || width > width_ - left ||
      height > height_ - top) {
    return false;
  }
  Then(1, 0, left, 0, 1, top);
  width_ = width;
  height_ = height;
  return true;
}

void CPixelTransform::RotateCounterClockwise(int quarter_turns) {
  for (int turn = ((quarter_turns % 4) + 4) % 4; turn > 0; --turn) {
    // The top right corner comes to the top left.
    Then(0, -1, int64_t{width_} - 1, 1, 0, 0);
    std::swap(width_, height_);
  }
}

void CPixelTransform::MirrorLeftRight() { Then(-1, 0, int64_t{width_} - 1, 0, 1, 0); }

void CPixelTransform::MirrorTopBottom() { Then(1, 0, 0, 0, -1, int64_t{height_} - 1); }

bool CPixelTransform::IsIdentity() const {
  return ux_ == 1 && uy_ == 0 && u0_ == 0 && vx_ == 0 && vy_ == 1 && v0_ == 0;
}

void CPixelTransform::Copy(const uint8_t* source, size_t source_stride, uint8_t* target,
                           size_t target_stride) const {
  const ptrdiff_t stride = static_cast<ptrdiff_t>(source_stride);
  const ptrdiff_t step = static_cast<ptrdiff_t>(vx_) * stride + static_cast<ptrdiff_t>(ux_) * 4;
  for (uint32_t y = 0; y < height_; ++y) {
    const int64_t u = uy_ * y + u0_;
    const int64_t v = vy_ * y + v0_;
    const uint8_t* from =
        source + static_cast<ptrdiff_t>(v) * stride + static_cast<ptrdiff_t>(u) * 4;
    uint8_t* to = target + size_t{y} * target_stride;
    if (step == 4) {
      std::memcpy(to, from, size_t{width_} * 4);
      continue;
    }
    for (uint32_t x = 0; x < width_; ++x, from += step, to += 4) {
      std::memcpy(to, from, 4);
    }
  }
}
