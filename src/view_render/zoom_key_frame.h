#pragma once

#include <windows.h>
#include <d2d1.h>
#include <gdiplus.h>
#include <wincodec.h>

#include <cstdint>
#include <memory>

#include "framework/com_ptr.h"

namespace view_render {

// The picture pre-scaled to one zoom ratio, as a Direct2D bitmap on the
// renderer's render target. A full-size frame that Direct2D refuses is kept
// as a GDI+ bitmap instead. Made on a worker, then only read.
class CZoomKeyFrame {
 public:
  CZoomKeyFrame(float ratio, ComPtr<ID2D1Bitmap> d2d_bitmap,
                std::unique_ptr<Gdiplus::Bitmap> gdiplus_bitmap);
  virtual ~CZoomKeyFrame();
  CZoomKeyFrame(const CZoomKeyFrame&) = delete;
  CZoomKeyFrame& operator=(const CZoomKeyFrame&) = delete;

  // Draws the Direct2D bitmap into the rectangle; false without one.
  virtual bool Draw(ID2D1RenderTarget* target, int left, int top, int right, int bottom);
  // Draws the GDI+ bitmap straight onto dc; false without one.
  bool DrawGdiplus(HDC dc, int left, int top, int right, int bottom) const;

  float ratio() const { return ratio_; }
  ID2D1Bitmap* d2d_bitmap() const { return d2d_bitmap_.Get(); }
  Gdiplus::Bitmap* gdiplus_bitmap() const { return gdiplus_bitmap_.get(); }

  // picture (image_width x image_height, display orientation) resampled with
  // Fant to ratio; null when it cannot be made.
  static std::shared_ptr<CZoomKeyFrame> Make(ID2D1RenderTarget* target, IWICBitmapSource* picture,
                                             int32_t image_width, int32_t image_height,
                                             float ratio);
  // The whole picture at ratio 1.0: a Direct2D bitmap, else a GDI+ copy.
  static std::shared_ptr<CZoomKeyFrame> MakeFullSize(ID2D1RenderTarget* target,
                                                     IWICBitmapSource* picture);

 private:
  float ratio_;
  ComPtr<ID2D1Bitmap> d2d_bitmap_;
  std::unique_ptr<Gdiplus::Bitmap> gdiplus_bitmap_;
};

// A 32-bit premultiplied GDI+ copy of source; null on failure.
std::unique_ptr<Gdiplus::Bitmap> CopyToGdiplusBitmap(IWICBitmapSource* source);

}  // namespace view_render
