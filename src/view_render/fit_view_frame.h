#pragma once

#include <windows.h>
#include <d2d1.h>

#include "framework/com_ptr.h"

namespace view_render {

// The picture resampled once to the size at which it fits the view, as a GDI
// bitmap; every ratio up to fit is drawn from it. Beyond fit it is the last
// resort of the Direct2D drawing, through a Direct2D bitmap made on demand.
class CFitViewFrame {
 public:
  CFitViewFrame() = default;
  virtual ~CFitViewFrame();
  CFitViewFrame(const CFitViewFrame&) = delete;
  CFitViewFrame& operator=(const CFitViewFrame&) = delete;

  // Draws into the rectangle with Direct2D, making the Direct2D bitmap first
  // if there is none; false when there is no bitmap to draw.
  virtual bool Draw(ID2D1RenderTarget* target, int left, int top, int right, int bottom);

  // Takes ownership of bitmap; the previous one is deleted and the Direct2D
  // copy dropped so that it is made again from the new one.
  void SetBitmap(HBITMAP bitmap);
  void ReleaseD2DBitmap() { d2d_bitmap_.Reset(); }

  HBITMAP hbitmap() const { return hbitmap_; }
  ID2D1Bitmap* d2d_bitmap() const { return d2d_bitmap_.Get(); }

  float ratio = 1.0f;  // the fit ratio when the frame was made

 private:
  ComPtr<ID2D1Bitmap> d2d_bitmap_;
  HBITMAP hbitmap_ = nullptr;
};

}  // namespace view_render
