#include "view_render/view_geometry.h"

#include <algorithm>
#include <cmath>

namespace view_render {

namespace {

// The offset that puts target under anchor, within 0 .. overflow.
int32_t ClampedOffset(float target, int32_t anchor, int32_t overflow) {
  const float bounded = std::clamp(target, -1.0e9f, 1.0e9f);
  return std::clamp(static_cast<int32_t>(std::lround(bounded)) - anchor, 0, overflow);
}

}  // namespace

SIZE ZoomedSize(int32_t image_width, int32_t image_height, float ratio) {
  const float width = RoundToSingle(static_cast<float>(image_width) * ratio);
  const float height = RoundToSingle(static_cast<float>(image_height) * ratio);
  SIZE size;
  size.cx = std::max<LONG>(1, static_cast<LONG>(width));
  size.cy = std::max<LONG>(1, static_cast<LONG>(height));
  return size;
}

float FitRatio(int32_t view_width, int32_t view_height, int32_t image_width, int32_t image_height) {
  const float by_width =
      RoundToSingle(static_cast<float>(view_width) / static_cast<float>(std::max(1, image_width)));
  const float by_height = RoundToSingle(static_cast<float>(view_height) /
                                        static_cast<float>(std::max(1, image_height)));
  return std::min(std::min(by_width, by_height), 1.0f);
}

CViewGeometry::CViewGeometry(int32_t width, int32_t height)
    : view_width(width), view_height(height) {}

void CViewGeometry::SetZoomedSize(int32_t width, int32_t height) {
  zoomed_width = width;
  zoomed_height = height;
  const int32_t dx = view_width - width;
  const int32_t dy = view_height - height;
  const RECT centred = {dx / 2, dy / 2, dx / 2 + width, dy / 2 + height};
  const RECT view = {0, 0, view_width, view_height};
  if (!IntersectRect(&dest_rect, &centred, &view)) {
    dest_rect = RECT{};
  }
  overflow_x = dx < 0 ? -dx : 0;
  overflow_y = dy < 0 ? -dy : 0;
  ScrollTo(0.0f, 0.0f, 0, 0);
}

void CViewGeometry::ScrollTo(float target_x, float target_y, int32_t anchor_x, int32_t anchor_y) {
  source_rect = RECT{0, 0, zoomed_width, zoomed_height};
  if (overflow_x > 0) {
    const int32_t offset = ClampedOffset(target_x, anchor_x, overflow_x);
    source_rect.left = offset;
    source_rect.right = offset + view_width;
  }
  if (overflow_y > 0) {
    const int32_t offset = ClampedOffset(target_y, anchor_y, overflow_y);
    source_rect.top = offset;
    source_rect.bottom = offset + view_height;
  }
}

bool CViewGeometry::Pan(int32_t dx, int32_t dy) {
  const RECT old = source_rect;
  OffsetRect(&source_rect, -dx, -dy);
  if (source_rect.left < 0) {
    OffsetRect(&source_rect, -source_rect.left, 0);
  } else if (source_rect.right > zoomed_width) {
    OffsetRect(&source_rect, zoomed_width - source_rect.right, 0);
  }
  if (source_rect.top < 0) {
    OffsetRect(&source_rect, 0, -source_rect.top);
  } else if (source_rect.bottom > zoomed_height) {
    OffsetRect(&source_rect, 0, zoomed_height - source_rect.bottom);
  }
  return source_rect.left != old.left || source_rect.top != old.top;
}

}  // namespace view_render
