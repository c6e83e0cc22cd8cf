#include "view_render/zoom_key_frame.h"

#include <limits>

#include "image/wic_pipeline.h"
#include "view_render/d2d_support.h"
#include "view_render/view_geometry.h"

namespace view_render {

CZoomKeyFrame::CZoomKeyFrame(float ratio, ComPtr<ID2D1Bitmap> d2d_bitmap,
                             std::unique_ptr<Gdiplus::Bitmap> gdiplus_bitmap)
    : ratio_(ratio),
      d2d_bitmap_(std::move(d2d_bitmap)),
      gdiplus_bitmap_(std::move(gdiplus_bitmap)) {}

CZoomKeyFrame::~CZoomKeyFrame() = default;

bool CZoomKeyFrame::Draw(ID2D1RenderTarget* target, int left, int top, int right, int bottom) {
  return DrawScaledBitmap(target, d2d_bitmap_.Get(), static_cast<float>(left),
                          static_cast<float>(top), static_cast<float>(right),
                          static_cast<float>(bottom));
}

bool CZoomKeyFrame::DrawGdiplus(HDC dc, int left, int top, int right, int bottom) const {
  if (!gdiplus_bitmap_ || !dc) {
    return false;
  }
  Gdiplus::Graphics graphics(dc);
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeBilinear);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  graphics.DrawImage(gdiplus_bitmap_.get(), left, top, right - left, bottom - top);
  return true;
}

std::shared_ptr<CZoomKeyFrame> CZoomKeyFrame::Make(ID2D1RenderTarget* target,
                                                   IWICBitmapSource* picture, int32_t image_width,
                                                   int32_t image_height, float ratio) {
  const SIZE size = ZoomedSize(image_width, image_height, ratio);
  const ComPtr<IWICBitmapSource> shared(picture);
  ComPtr<ID2D1Bitmap> bitmap = CreateD2DBitmap(
      target,
      [shared, size] {
        return wic_pipeline::Scale(shared.Get(), static_cast<UINT>(size.cx),
                                   static_cast<UINT>(size.cy), WICBitmapInterpolationModeFant);
      },
      true);
  if (!bitmap) {
    return nullptr;
  }
  return std::make_shared<CZoomKeyFrame>(ratio, std::move(bitmap), nullptr);
}

std::shared_ptr<CZoomKeyFrame> CZoomKeyFrame::MakeFullSize(ID2D1RenderTarget* target,
                                                           IWICBitmapSource* picture) {
  const ComPtr<IWICBitmapSource> shared(picture);
  ComPtr<ID2D1Bitmap> bitmap = CreateD2DBitmap(
      target, [shared] { return shared; }, true);
  if (bitmap) {
    return std::make_shared<CZoomKeyFrame>(1.0f, std::move(bitmap), nullptr);
  }
  std::unique_ptr<Gdiplus::Bitmap> copy = CopyToGdiplusBitmap(picture);
  if (!copy) {
    return nullptr;
  }
  return std::make_shared<CZoomKeyFrame>(1.0f, nullptr, std::move(copy));
}

std::unique_ptr<Gdiplus::Bitmap> CopyToGdiplusBitmap(IWICBitmapSource* source) {
  UINT width = 0;
  UINT height = 0;
  ComPtr<IWICBitmapSource> premultiplied;
  if (!source || FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > static_cast<UINT>(std::numeric_limits<INT>::max()) / 4 ||
      height > static_cast<UINT>(std::numeric_limits<INT>::max()) ||
      FAILED(
          WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, source, premultiplied.Receive()))) {
    return nullptr;
  }
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(static_cast<INT>(width), static_cast<INT>(height),
                                                  PixelFormat32bppPARGB);
  if (bitmap->GetLastStatus() != Gdiplus::Ok) {
    return nullptr;
  }
  Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData data = {};
  if (bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &data) !=
      Gdiplus::Ok) {
    return nullptr;
  }
  // GDI+ lays PARGB out as B, G, R, A bytes, the order of 32bppPBGRA.
  const UINT64 size = static_cast<UINT64>(data.Stride) * height;
  HRESULT hr = E_FAIL;
  if (data.Stride > 0 && size <= std::numeric_limits<UINT>::max()) {
    hr = premultiplied->CopyPixels(nullptr, static_cast<UINT>(data.Stride), static_cast<UINT>(size),
                                   static_cast<BYTE*>(data.Scan0));
  }
  bitmap->UnlockBits(&data);
  if (FAILED(hr)) {
    return nullptr;
  }
  return bitmap;
}

}  // namespace view_render
