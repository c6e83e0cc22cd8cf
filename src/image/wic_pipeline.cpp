#include "image/wic_pipeline.h"

#include "image/wic_factory.h"

namespace wic_pipeline {

namespace {

IWICImagingFactory* Factory() {
  IWICImagingFactory* factory = CWICFactory::Get();
  if (!factory) {
    throw CComError(E_POINTER);
  }
  return factory;
}

}  // namespace

ComPtr<IWICBitmapSource> ConvertToBgra(IWICBitmapSource* source) {
  ComPtr<IWICBitmapSource> converted;
  ThrowIfFailed(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, source, converted.Receive()));
  return converted;
}

ComPtr<IWICBitmap> CacheInMemory(IWICBitmapSource* source) {
  ComPtr<IWICBitmap> bitmap;
  ThrowIfFailed(Factory()->CreateBitmapFromSource(source, WICBitmapCacheOnLoad, bitmap.Receive()));
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
    ThrowIfFailed(Factory()->CreateBitmapScaler(scaler.Receive()));
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
    ThrowIfFailed(Factory()->CreateColorContext(srgb.Receive()));
    ThrowIfFailed(srgb->InitializeFromExifColorSpace(1));
    ComPtr<IWICColorTransform> transform;
    ThrowIfFailed(Factory()->CreateColorTransformer(transform.Receive()));
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
  if (FAILED(Factory()->CreateBitmapFlipRotator(rotator.Receive())) ||
      FAILED(rotator->Initialize(bitmap, transform))) {
    return bitmap;
  }
  return CacheInMemory(rotator.Get());
}

}  // namespace wic_pipeline
