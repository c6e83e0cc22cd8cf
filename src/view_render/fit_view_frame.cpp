#include "view_render/fit_view_frame.h"

#include <wincodec.h>

#include "image/wic_factory.h"
#include "view_render/d2d_support.h"

namespace view_render {

CFitViewFrame::~CFitViewFrame() {
  d2d_bitmap_.Reset();
  if (hbitmap_) {
    DeleteObject(hbitmap_);
  }
}

void CFitViewFrame::SetBitmap(HBITMAP bitmap) {
  if (bitmap == hbitmap_) {
    return;
  }
  d2d_bitmap_.Reset();
  if (hbitmap_) {
    DeleteObject(hbitmap_);
  }
  hbitmap_ = bitmap;
}

bool CFitViewFrame::Draw(ID2D1RenderTarget* target, int left, int top, int right, int bottom) {
  if (!target) {
    return false;
  }
  if (!d2d_bitmap_ && hbitmap_ && CWICFactory::Get()) {
    ComPtr<IWICBitmap> wic_bitmap;
    if (SUCCEEDED(CWICFactory::Get()->CreateBitmapFromHBITMAP(
            hbitmap_, nullptr, WICBitmapIgnoreAlpha, wic_bitmap.Receive()))) {
      d2d_bitmap_ = CreateD2DBitmap(target, wic_bitmap.Get());
    }
  }
  return DrawScaledBitmap(target, d2d_bitmap_.Get(), static_cast<float>(left),
                          static_cast<float>(top), static_cast<float>(right),
                          static_cast<float>(bottom));
}

}  // namespace view_render
