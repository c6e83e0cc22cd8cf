#include "view_render/halftone_stretch.h"

#include "framework/gdi_objects.h"

namespace view_render {

void StretchBitmapHalftone(HDC target, HBITMAP source, int x, int y, int width, int height) {
  BITMAP info = {};
  if (!target || !source || !GetObjectW(source, sizeof(info), &info) || width <= 0 || height <= 0) {
    return;
  }
  CMemoryDC source_dc(target);
  if (!source_dc) {
    return;
  }
  CSelectObject select(source_dc, source);
  SetBkMode(source_dc, TRANSPARENT);
  SetStretchBltMode(source_dc, HALFTONE);

  const int previous_mode = SetStretchBltMode(target, HALFTONE);
  // HALFTONE needs the brush origin set again after the mode changes.
  POINT previous_origin = {};
  SetBrushOrgEx(target, 0, 0, &previous_origin);
  StretchBlt(target, x, y, width, height, source_dc, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SetBrushOrgEx(target, previous_origin.x, previous_origin.y, nullptr);
  if (previous_mode) {
    SetStretchBltMode(target, previous_mode);
  }
}

}  // namespace view_render
