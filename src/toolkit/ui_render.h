#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/skin_attributes.h"

class CSkinImage;

// Drawing for controls. Every operation keeps the alpha channel right, so
// the same code draws into the buffer of a layered (per-pixel alpha) window
// and of an ordinary one. Colours are ARGB.
namespace ui_render {

// Fills (and blends, for colours that are not opaque) rect with argb.
void FillArgb(HDC dc, const RECT& rect, uint32_t argb);
// A frame size pixels wide inside rect; round gives the corner ellipse
// (0, 0 for square corners).
void DrawBorder(HDC dc, const RECT& rect, int size, uint32_t argb, SIZE round);
// A filled rectangle with round corners, anti-aliased.
void FillRoundRect(HDC dc, const RECT& rect, SIZE round, uint32_t argb);

// Text in font with DrawText style flags. layered selects the path that
// writes alpha (grey-scale coverage) instead of GDI's, which leaves holes
// in a layered window.
void DrawText(HDC dc, const RECT& rect, const std::wstring& text, HFONT font, uint32_t argb,
              UINT style, bool layered);
// The size text needs; width limits the width for word-wrapped styles.
SIZE MeasureText(HDC dc, const std::wstring& text, HFONT font, UINT style, int width);

// Draws image as look says into item (the control's rectangle), limited to
// paint. Source rectangles are clamped to the picture.
void DrawImage(HDC dc, const CSkinImage& image, const RECT& item, const RECT& paint,
               const skin_attr::CImageSpec& look);

// Blends premultiplied BGRA pixels (width by height, top row first) onto
// dest at constant alpha 255.
void BlendPixels(HDC dc, int x, int y, int width, int height, const uint32_t* pixels);

inline COLORREF ToColorRef(uint32_t argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

}  // namespace ui_render
