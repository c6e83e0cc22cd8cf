#include "image/wic_pipeline.h"

#include "image/wic_factory.h"

#include <cstring>

namespace wic_pipeline {

ComPtr<IWICBitmapSource> ConvertToBgra(IWICBitmapSource* source) {
  ComPtr<IWICBitmapSource> converted;
  ThrowIfFailed(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, source, converted.Receive()));
  return converted;
}

ComPtr<IWICBitmap> CacheInMemory(IWICBitmapSource* source) {
  ComPtr<IWICBitmap> bitmap;
  ThrowIfFailed(CWICFactory::Required()->CreateBitmapFromSource(source, WICBitmapCacheOnLoad,
                                                                bitmap.Receive()));
  return bitmap;
}

ComPtr<IWICBitmapSource> Scale(IWICBitmapSource* source, UINT width, UINT height,
                               WICBitmapInterpolationMode mode) {
  try {
    UINT source_width = 0;
    UINT source_height = 0;
    ThrowIfFailed(ComPtr<IWICBitmapSource>(source)->GetSize(&source_width, &source_height));
    if (source_width == width && source_height == height) {
      return source;
    }
    ComPtr<IWICBitmapScaler> scaler;
    ThrowIfFailed(CWICFactory::Required()->CreateBitmapScaler(scaler.Receive()));
    ThrowIfFailed(scaler->Initialize(source, width, height, mode));
    return scaler.As<IWICBitmapSource>();
  } catch (const CComError&) {
    return nullptr;
  }
}

ComPtr<IWICBitmapSource> ScaleWithFallback(IWICBitmapSource* source, UINT width, UINT height,
                                           WICBitmapInterpolationMode mode) {
  ComPtr<IWICBitmapSource> scaled = Scale(source, width, height, mode);
  if (scaled && mode != WICBitmapInterpolationModeFant && scaled.Get() != source) {
    // A scaler may accept a mode at set-up and refuse it on the first copy.
    BYTE probe[16] = {};
    const WICRect one_pixel = {0, 0, 1, 1};
    if (FAILED(scaled.Get()->CopyPixels(&one_pixel, sizeof(probe), sizeof(probe), probe))) {
      scaled.Reset();
    }
  }
  if (!scaled && mode != WICBitmapInterpolationModeFant) {
    scaled = Scale(source, width, height, WICBitmapInterpolationModeFant);
  }
  return scaled;
}

ComPtr<IWICBitmapSource> ApplyColourTransform(IWICBitmapSource* source, IWICColorContext* context,
                                              bool to_embedded) {
  try {
    if (!source || !context) {
      return source;
    }
    ComPtr<IWICColorContext> srgb;
    ThrowIfFailed(CWICFactory::Required()->CreateColorContext(srgb.Receive()));
    ThrowIfFailed(srgb->InitializeFromExifColorSpace(1));
    ComPtr<IWICColorTransform> transform;
    ThrowIfFailed(CWICFactory::Required()->CreateColorTransformer(transform.Receive()));
    IWICColorContext* from = to_embedded ? srgb.Get() : context;
    IWICColorContext* to = to_embedded ? context : srgb.Get();
    ThrowIfFailed(transform->Initialize(source, from, to, GUID_WICPixelFormat32bppBGRA));
    return transform.As<IWICBitmapSource>();
  } catch (const CComError&) {
    return source;
  }
}

ComPtr<IWICBitmap> FlipRotate(IWICBitmap* bitmap, WICBitmapTransformOptions transform) {
  ComPtr<IWICBitmapFlipRotator> rotator;
  if (FAILED(CWICFactory::Required()->CreateBitmapFlipRotator(rotator.Receive())) ||
      FAILED(rotator->Initialize(bitmap, transform))) {
    return bitmap;
  }
  try {
    return CacheInMemory(rotator.Get());
  } catch (const CComError&) {
    // Some platforms set the rotator up but only flip vertically when asked
    // for pixels; an upright picture matters more than the platform's code.
    return FlipRotateInMemory(bitmap, transform);
  }
}

ComPtr<IWICBitmap> FlipRotateInMemory(IWICBitmap* bitmap, WICBitmapTransformOptions transform) {
  ComPtr<IWICBitmap> source = CacheInMemory(ConvertToBgra(bitmap).Get());
  UINT width = 0;
  UINT height = 0;
  ThrowIfFailed(source->GetSize(&width, &height));
  const int quarter_turns = transform & 3;
  const bool flip_horizontal = (transform & WICBitmapTransformFlipHorizontal) != 0;
  const bool flip_vertical = (transform & WICBitmapTransformFlipVertical) != 0;
  const UINT out_width = quarter_turns % 2 ? height : width;
  const UINT out_height = quarter_turns % 2 ? width : height;

  ComPtr<IWICBitmap> result;
  ThrowIfFailed(CWICFactory::Required()->CreateBitmap(
      out_width, out_height, GUID_WICPixelFormat32bppBGRA, WICBitmapCacheOnLoad, result.Receive()));
  const WICRect all_in = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  const WICRect all_out = {0, 0, static_cast<INT>(out_width), static_cast<INT>(out_height)};
  ComPtr<IWICBitmapLock> in_lock;
  ComPtr<IWICBitmapLock> out_lock;
  ThrowIfFailed(source->Lock(&all_in, WICBitmapLockRead, in_lock.Receive()));
  ThrowIfFailed(result->Lock(&all_out, WICBitmapLockWrite, out_lock.Receive()));
  UINT in_stride = 0;
  UINT out_stride = 0;
  UINT in_size = 0;
  UINT out_size = 0;
  BYTE* in = nullptr;
  BYTE* out = nullptr;
  ThrowIfFailed(in_lock->GetStride(&in_stride));
  ThrowIfFailed(out_lock->GetStride(&out_stride));
  ThrowIfFailed(in_lock->GetDataPointer(&in_size, &in));
  ThrowIfFailed(out_lock->GetDataPointer(&out_size, &out));
  if (!in || !out || in_stride < 4ull * width || out_stride < 4ull * out_width ||
      in_size < static_cast<UINT64>(in_stride) * (height - 1) + 4ull * width ||
      out_size < static_cast<UINT64>(out_stride) * (out_height - 1) + 4ull * out_width) {
    throw CComError(E_UNEXPECTED);
  }
  // The flips apply to the stored picture, the quarter turns (clockwise)
  // after them: orientation 5 (flip vertical, turn 90) is the transpose.
  for (UINT y = 0; y < out_height; ++y) {
    BYTE* row = out + static_cast<size_t>(y) * out_stride;
    for (UINT x = 0; x < out_width; ++x) {
      UINT fx = x;
      UINT fy = y;
      switch (quarter_turns) {
        case 1:
          fx = y;
          fy = height - 1 - x;
          break;
        case 2:
          fx = width - 1 - x;
          fy = height - 1 - y;
          break;
        case 3:
          fx = width - 1 - y;
          fy = x;
          break;
        default:
          break;
      }
      const UINT sx = flip_horizontal ? width - 1 - fx : fx;
      const UINT sy = flip_vertical ? height - 1 - fy : fy;
      std::memcpy(row + static_cast<size_t>(x) * 4,
                  in + static_cast<size_t>(sy) * in_stride + static_cast<size_t>(sx) * 4, 4);
    }
  }
  return result;
}

}  // namespace wic_pipeline
