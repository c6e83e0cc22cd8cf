#include "view_render/buffered_view.h"

#include "framework/gdi_objects.h"

namespace view_render {

CBufferedView::CBufferedView(int32_t width, int32_t height)
    : width_(width),
      height_(height),
      dc_(nullptr),
      buffer_bitmap_(CreateCompatibleBitmap(CClientDC(nullptr), width, height)),
      selection_(dc_, buffer_bitmap_) {}

void CBufferedView::ScrollContents(int32_t dx, int32_t dy) {
  if (!IsValid()) {
    return;
  }
  if (scratch_bitmap_.IsEmpty()) {
    scratch_bitmap_.Attach(CreateCompatibleBitmap(dc_, width_, height_));
    if (scratch_bitmap_.IsEmpty()) {
      return;
    }
  }
  CMemoryDC scratch(dc_.get());
  CSelectObject select(scratch, scratch_bitmap_);
  BitBlt(scratch, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
  BitBlt(dc_, dx, dy, width_, height_, scratch, 0, 0, SRCCOPY);

  RECT moved = {dx, dy, dx + width_, dy + height_};
  const RECT all = {0, 0, width_, height_};
  if (IntersectRect(&moved, &moved, &all)) {
    ExcludeClipRect(dc_, moved.left, moved.top, moved.right, moved.bottom);
  }
}

}  // namespace view_render
