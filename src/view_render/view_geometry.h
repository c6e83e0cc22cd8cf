#pragma once

#include <windows.h>

#include <cstdint>

namespace view_render {

// Zoom ratios are single precision. The stores through a volatile keep the
// x87 unit of 32-bit builds from carrying extra precision into a truncation,
// so both builds size the picture alike.
inline float RoundToSingle(float value) {
  volatile float stored = value;
  return stored;
}

// The size of a picture of image_width x image_height at ratio: truncated,
// never below 1 x 1.
SIZE ZoomedSize(int32_t image_width, int32_t image_height, float ratio);

// The ratio at which a picture fits a view: never above 1.0, so a small
// picture is not enlarged.
float FitRatio(int32_t view_width, int32_t view_height, int32_t image_width, int32_t image_height);

// Where the zoomed picture sits in the view and which part of it is visible,
// all in view coordinates (origin at the view's top-left).
class CViewGeometry {
 public:
  CViewGeometry(int32_t view_width, int32_t view_height);

  // Centres a picture of this size and scrolls to its origin.
  void SetZoomedSize(int32_t width, int32_t height);
  // Scrolls so that the zoomed picture's point (target_x, target_y) lies
  // under the view point (anchor_x, anchor_y), as far as the picture allows.
  void ScrollTo(float target_x, float target_y, int32_t anchor_x, int32_t anchor_y);
  // Moves the visible part by a mouse movement (dx, dy), clamped to the
  // picture; false when its top-left corner did not move.
  bool Pan(int32_t dx, int32_t dy);

  // The picture's top-left corner in view coordinates.
  int32_t image_left() const { return overflow_x > 0 ? -source_rect.left : dest_rect.left; }
  int32_t image_top() const { return overflow_y > 0 ? -source_rect.top : dest_rect.top; }

  int32_t view_width = 0;
  int32_t view_height = 0;
  int32_t zoomed_width = 0;
  int32_t zoomed_height = 0;
  RECT dest_rect = {};     // the centred picture, cut to the view
  int32_t overflow_x = 0;  // how much wider than the view, else 0
  int32_t overflow_y = 0;
  RECT source_rect = {};  // the visible part of the zoomed picture
};

}  // namespace view_render
