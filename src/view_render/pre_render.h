#pragma once

#include <windows.h>

namespace view_render {

// The content renderer of a view model: draws the whole zoomed picture.
class CPreRender {
 public:
  virtual ~CPreRender() = default;

  // The picture rendered at the fit size; with final_only only once it is
  // of final quality. Owned by the renderer; null when there is none yet.
  virtual HBITMAP GetFitBitmap(bool final_only) = 0;
  // No fit bitmap can be made: the picture's pixels failed to decode.
  virtual bool FitFailed() const { return false; }
  // Draws the whole zoomed picture into (left, top, right, bottom) of dc; the
  // rectangle may reach beyond the DC's bitmap.
  virtual void Draw(HDC dc, int left, int top, int right, int bottom) = 0;
  // What the last Draw showed: 0 nothing, 1 the picture blurred (a preview
  // or a smaller frame stretched), 2 the picture at full quality.
  virtual int DrawnQuality() { return GetFitBitmap(true) ? 2 : GetFitBitmap(false) ? 1 : 0; }
};

}  // namespace view_render
