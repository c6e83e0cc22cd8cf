#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/gdi_objects.h"

namespace view_render {

// The back buffer of the picture view: a memory DC with a screen-compatible
// bitmap exactly the size of the view area, always holding the view as it
// should look. Window paints copy it; zooming, panning and new bitmaps
// re-render it.
class CBufferedView {
 public:
  CBufferedView(int32_t width, int32_t height);
  CBufferedView(const CBufferedView&) = delete;
  CBufferedView& operator=(const CBufferedView&) = delete;

  HDC dc() const { return dc_; }
  operator HDC() const { return dc_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  HBITMAP buffer_bitmap() const { return buffer_bitmap_; }
  bool IsValid() const { return dc_ && !buffer_bitmap_.IsEmpty(); }

  int SaveDC() { return ::SaveDC(dc_); }
  void RestoreDC(int saved) { ::RestoreDC(dc_, saved); }

  // Moves the contents by (dx, dy) through the scratch bitmap (made on the
  // first call and kept) and excludes the still valid, moved part from the
  // clip region, so that the next render paints only the exposed strips.
  // Callers bracket it with SaveDC and RestoreDC.
  void ScrollContents(int32_t dx, int32_t dy);

 private:
  int32_t width_;
  int32_t height_;
  // Destroyed in reverse order: the selection is undone before the bitmaps
  // and the DC go.
  CMemoryDC dc_;
  CBitmap buffer_bitmap_;
  CBitmap scratch_bitmap_;
  CSelectObject selection_;
};

}  // namespace view_render
