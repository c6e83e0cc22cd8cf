#pragma once

#include <cstddef>
#include <cstdint>

// A crop followed by quarter turns and mirrorings, as containers describe a
// picture's geometry, composed into one map from each output pixel to the
// stored pixel it shows. Steps are applied in the order they are added.
class CPixelTransform {
 public:
  CPixelTransform(uint32_t width, uint32_t height);

  // Keeps the rectangle at (left, top) of the current picture; false (and
  // nothing changed) when it is empty or leaves the picture.
  bool Crop(uint32_t left, uint32_t top, uint32_t width, uint32_t height);
  // Anti-clockwise, in quarter turns (any count).
  void RotateCounterClockwise(int quarter_turns);
  // Left and right exchanged.
  void MirrorLeftRight();
  // Top and bottom exchanged.
  void MirrorTopBottom();

  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  bool IsIdentity() const;

  // Copies 4-byte pixels from the stored picture (the size this transform
  // was made with) into the output (width() x height()).
  void Copy(const uint8_t* source, size_t source_stride, uint8_t* target,
            size_t target_stride) const;

 private:
  // Stored position (u, v) of output pixel (x, y):
  // u = ux * x + uy * y + u0, v = vx * x + vy * y + v0.
  int64_t ux_ = 1, uy_ = 0, u0_ = 0;
  int64_t vx_ = 0, vy_ = 1, v0_ = 0;
  uint32_t width_;
  uint32_t height_;

  // Composes the map with one step whose output (x, y) shows its input
  // pixel (a * x + b * y + c, d * x + e * y + f).
  void Then(int64_t a, int64_t b, int64_t c, int64_t d, int64_t e, int64_t f);
};
