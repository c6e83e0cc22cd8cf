#pragma once

#include <windows.h>

namespace view_render {

// Stretches the whole of source into (x, y, width, height) of target with the
// HALFTONE stretch mode, the way every picture stretch of the view is drawn;
// the target's stretch mode is put back afterwards.
void StretchBitmapHalftone(HDC target, HBITMAP source, int x, int y, int width, int height);

}  // namespace view_render
