#include "toolkit/ui_render.h"

#include <gdiplus.h>

#include <algorithm>
#include <memory>

#include "framework/gdi_objects.h"
#include "toolkit/skin_image.h"

namespace ui_render {

namespace {

uint32_t Premultiplied(uint32_t argb, uint32_t coverage = 255) {
  const uint32_t a = ((argb >> 24) & 0xFF) * coverage / 255;
  const uint32_t r = ((argb >> 16) & 0xFF) * a / 255;
  const uint32_t g = ((argb >> 8) & 0xFF) * a / 255;
  const uint32_t b = (argb & 0xFF) * a / 255;
  return (a << 24) | (r << 16) | (g << 8) | b;
}

bool Blend(HDC dc, const RECT& dest, HDC source, const RECT& from, BYTE alpha) {
  const int dw = dest.right - dest.left;
  const int dh = dest.bottom - dest.top;
  const int sw = from.right - from.left;
  const int sh = from.bottom - from.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) {
    return false;
  }
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  return AlphaBlend(dc, dest.left, dest.top, dw, dh, source, from.left, from.top, sw, sh, blend) !=
         FALSE;
}

// Draws with GDI+ into a premultiplied bitmap of rect's size, then blends it.
template <class Draw>
void DrawWithGdiplus(HDC dc, const RECT& rect, Draw draw) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    return;
  }
  uint32_t* bits = nullptr;
  CBitmap dib(CreateDib32(width, height, &bits));
  if (dib.IsEmpty()) {
    return;
  }
  {
    Gdiplus::Bitmap canvas(width, height, width * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(bits));
    Gdiplus::Graphics graphics(&canvas);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    draw(graphics, width, height);
  }
  CMemoryDC memory(dc);
  CSelectObject select(memory, dib);
  Blend(dc, rect, memory, {0, 0, width, height}, 255);
}

void AddRoundRect(Gdiplus::GraphicsPath& path, Gdiplus::RectF box, SIZE round) {
  const float rx = std::min(static_cast<float>(round.cx), box.Width);
  const float ry = std::min(static_cast<float>(round.cy), box.Height);
  if (rx <= 0 || ry <= 0) {
    path.AddRectangle(box);
    return;
  }
  const float right = box.X + box.Width;
  const float bottom = box.Y + box.Height;
  path.AddArc(box.X, box.Y, rx, ry, 180, 90);
  path.AddArc(right - rx, box.Y, rx, ry, 270, 90);
  path.AddArc(right - rx, bottom - ry, rx, ry, 0, 90);
  path.AddArc(box.X, bottom - ry, rx, ry, 90, 90);
  path.CloseFigure();
}

Gdiplus::Color ToGdiplus(uint32_t argb) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(argb)); }

}  // namespace

void FillArgb(HDC dc, const RECT& rect, uint32_t argb) {
  if ((argb >> 24) == 0 || rect.right <= rect.left || rect.bottom <= rect.top) {
    return;
  }
  uint32_t* bits = nullptr;
  CBitmap dot(CreateDib32(1, 1, &bits));
  if (dot.IsEmpty()) {
    return;
  }
  bits[0] = Premultiplied(argb);
  CMemoryDC memory(dc);
  CSelectObject select(memory, dot);
  Blend(dc, rect, memory, {0, 0, 1, 1}, 255);
}

void FillRoundRect(HDC dc, const RECT& rect, SIZE round, uint32_t argb) {
  if ((argb >> 24) == 0) {
    return;
  }
  if (round.cx <= 0 || round.cy <= 0) {
    FillArgb(dc, rect, argb);
    return;
  }
  DrawWithGdiplus(dc, rect, [&](Gdiplus::Graphics& graphics, int width, int height) {
    Gdiplus::GraphicsPath path;
    AddRoundRect(path, Gdiplus::RectF(0, 0, static_cast<float>(width), static_cast<float>(height)),
                 round);
    Gdiplus::SolidBrush brush(ToGdiplus(argb));
    graphics.FillPath(&brush, &path);
  });
}

void DrawBorder(HDC dc, const RECT& rect, int size, uint32_t argb, SIZE round) {
  if (size <= 0 || (argb >> 24) == 0) {
    return;
  }
  if (round.cx > 0 && round.cy > 0) {
    DrawWithGdiplus(dc, rect, [&](Gdiplus::Graphics& graphics, int width, int height) {
      const float half = size / 2.0f;
      Gdiplus::GraphicsPath path;
      AddRoundRect(path, Gdiplus::RectF(half, half, width - 2 * half, height - 2 * half), round);
      Gdiplus::Pen pen(ToGdiplus(argb), static_cast<float>(size));
      graphics.DrawPath(&pen, &path);
    });
    return;
  }
  FillArgb(dc, {rect.left, rect.top, rect.right, rect.top + size}, argb);
  FillArgb(dc, {rect.left, rect.bottom - size, rect.right, rect.bottom}, argb);
  FillArgb(dc, {rect.left, rect.top + size, rect.left + size, rect.bottom - size}, argb);
  FillArgb(dc, {rect.right - size, rect.top + size, rect.right, rect.bottom - size}, argb);
}

void DrawText(HDC dc, const RECT& rect, const std::wstring& text, HFONT font, uint32_t argb,
              UINT style, bool layered) {
  if (text.empty() || (argb >> 24) == 0) {
    return;
  }
  style &= ~DT_CALCRECT;
  if (!layered) {
    CSelectObject select(dc, font);
    const int old_mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF old_color = SetTextColor(dc, ToColorRef(argb));
    RECT box = rect;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, style);
    SetTextColor(dc, old_color);
    SetBkMode(dc, old_mode);
    return;
  }
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    return;
  }
  // White text on black gives the coverage of each pixel; it becomes the
  // alpha of the text colour.
  uint32_t* bits = nullptr;
  CBitmap mask(CreateDib32(width, height, &bits));
  if (mask.IsEmpty()) {
    return;
  }
  CMemoryDC memory(dc);
  CSelectObject select_bitmap(memory, mask);
  {
    CSelectObject select_font(memory, font);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, RGB(255, 255, 255));
    RECT box = {0, 0, width, height};
    ::DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &box, style);
  }
  GdiFlush();
  const size_t count = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t pixel = bits[i];
    const uint32_t coverage = (((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF)) / 3;
    bits[i] = coverage ? Premultiplied(argb, coverage) : 0;
  }
  Blend(dc, rect, memory, {0, 0, width, height}, 255);
}

SIZE MeasureText(HDC dc, const std::wstring& text, HFONT font, UINT style, int width) {
  CSelectObject select(dc, font);
  RECT box = {0, 0, width > 0 ? width : 9999, 0};
  if (text.empty()) {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    return {0, metrics.tmHeight};
  }
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, style | DT_CALCRECT);
  return {box.right - box.left, box.bottom - box.top};
}

void BlendPixels(HDC dc, int x, int y, int width, int height, const uint32_t* pixels) {
  if (width <= 0 || height <= 0) {
    return;
  }
  uint32_t* bits = nullptr;
  CBitmap dib(CreateDib32(width, height, &bits));
  if (dib.IsEmpty()) {
    return;
  }
  std::copy(pixels, pixels + static_cast<size_t>(width) * height, bits);
  CMemoryDC memory(dc);
  CSelectObject select(memory, dib);
  Blend(dc, {x, y, x + width, y + height}, memory, {0, 0, width, height}, 255);
}

void DrawImage(HDC dc, const CSkinImage& image, const RECT& item, const RECT& paint,
               const skin_attr::CImageSpec& look) {
  RECT source = {0, 0, image.width(), image.height()};
  const skin_attr::CBox& s = look.source;
  if (look.has_source && (s.left || s.top || s.right || s.bottom)) {
    source = {std::max(0, s.left), std::max(0, s.top), std::min(image.width(), s.right),
              std::min(image.height(), s.bottom)};
  }
  if (source.right <= source.left || source.bottom <= source.top) {
    return;
  }
  RECT dest = item;
  const skin_attr::CBox& d = look.dest;
  if (look.has_dest && (d.left || d.top || d.right || d.bottom)) {
    const RECT wanted = {item.left + d.left, item.top + d.top, item.left + d.right,
                         item.top + d.bottom};
    if (!IntersectRect(&dest, &wanted, &item)) {
      return;
    }
  }
  RECT visible = {};
  if (!IntersectRect(&visible, &dest, &paint)) {
    return;
  }
  const BYTE alpha = static_cast<BYTE>(look.fade);
  CMemoryDC memory(dc);
  CSelectObject select(memory, image.bitmap());

  if (look.xtiled || look.ytiled) {
    const int tile_w = look.xtiled ? source.right - source.left : dest.right - dest.left;
    const int tile_h = look.ytiled ? source.bottom - source.top : dest.bottom - dest.top;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
    for (int y = dest.top; y < dest.bottom; y += tile_h) {
      for (int x = dest.left; x < dest.right; x += tile_w) {
        Blend(dc, {x, y, x + tile_w, y + tile_h}, memory, source, alpha);
      }
    }
    RestoreDC(dc, saved);
    return;
  }

  const skin_attr::CBox& c = look.corner;
  if (!(c.left || c.top || c.right || c.bottom)) {
    Blend(dc, dest, memory, source, alpha);
    return;
  }
  // Nine cells: the corners keep their size, the edges stretch one way and
  // the middle both ways.
  const int sx[4] = {source.left, source.left + c.left, source.right - c.right, source.right};
  const int sy[4] = {source.top, source.top + c.top, source.bottom - c.bottom, source.bottom};
  const int dx[4] = {dest.left, dest.left + c.left, dest.right - c.right, dest.right};
  const int dy[4] = {dest.top, dest.top + c.top, dest.bottom - c.bottom, dest.bottom};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      if (look.hole && row == 1 && column == 1) {
        continue;
      }
      Blend(dc, {dx[column], dy[row], dx[column + 1], dy[row + 1]}, memory,
            {sx[column], sy[row], sx[column + 1], sy[row + 1]}, alpha);
    }
  }
}

}  // namespace ui_render
