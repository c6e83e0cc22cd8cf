#include "popup_dialog/label_ui2.h"

#include <gdiplus.h>

#include <vector>

#include "toolkit/paint_manager.h"
#include "toolkit/ui_render.h"

void CLabelUI2::PaintText(HDC dc) {
  if (text_.empty()) {
    return;
  }
  const RECT box = TextRect();
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  if (width <= 0 || height <= 0) {
    return;
  }
  // The label's font from the window's table; the device context's font
  // stands in when there is no window yet.
  HFONT handle = manager_ ? GetFontHandle() : static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  // Made from the font's description, not from the handle: given the
  // handle, GDI+ may settle on a face without the Chinese glyphs where the
  // face named is a substitute (as on Wine).
  LOGFONTW face = {};
  if (!GetObjectW(handle, sizeof(face), &face)) {
    return;
  }
  Gdiplus::Font font(dc, &face);
  if (font.GetLastStatus() != Gdiplus::Ok) {
    return;
  }
  const uint32_t color = IsEnabled() ? text_color_ : disabled_text_color_;
  Gdiplus::SolidBrush brush(Gdiplus::Color(static_cast<Gdiplus::ARGB>(color)));
  Gdiplus::StringFormat format;
  format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  if (align_ == L"left") {
    format.SetAlignment(Gdiplus::StringAlignmentNear);
  } else if (align_ == L"right") {
    format.SetAlignment(Gdiplus::StringAlignmentFar);
  } else {
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
  }
  auto prepare = [](Gdiplus::Graphics& graphics) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  };
  const bool layered =
      manager_ && manager_->GetPaintWindow() &&
      (GetWindowLongPtrW(manager_->GetPaintWindow(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  if (!layered) {
    Gdiplus::Graphics graphics(dc);
    prepare(graphics);
    graphics.DrawString(text_.c_str(), static_cast<INT>(text_.size()), &font,
                        Gdiplus::RectF(static_cast<float>(box.left), static_cast<float>(box.top),
                                       static_cast<float>(width), static_cast<float>(height)),
                        &format, &brush);
    return;
  }
  // Drawn on transparency, then blended: GDI+ writes no usable alpha into
  // the window's buffer itself.
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0);
  {
    Gdiplus::Bitmap canvas(width, height, width * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(pixels.data()));
    Gdiplus::Graphics graphics(&canvas);
    prepare(graphics);
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    graphics.DrawString(text_.c_str(), static_cast<INT>(text_.size()), &font,
                        Gdiplus::RectF(0, 0, static_cast<float>(width), static_cast<float>(height)),
                        &format, &brush);
  }
  ui_render::BlendPixels(dc, box.left, box.top, width, height, pixels.data());
}
