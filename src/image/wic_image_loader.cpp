#include "image/wic_image_loader.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "config/app_config.h"
#include "effects/effect_copy_to_clipboard.h"
#include "image/obj_image.h"
#include "image/display_bitmap.h"
#include "image/jpeg_scaled_decoder.h"
#include "image/metadata_reader.h"
#include "image/wic_factory.h"
#include "image/wic_pipeline.h"
#include "basic_lib/windows_version.h"

namespace {

bool HasPixelFormat(IWICBitmapSource* source, REFWICPixelFormatGUID format) {
  WICPixelFormatGUID actual = {};
  return SUCCEEDED(source->GetPixelFormat(&actual)) && IsEqualGUID(actual, format);
}

// Index of the first frame of the largest width; a later frame must be
// strictly wider to win.
UINT WidestFrame(IWICBitmapDecoder* decoder) {
  UINT count = 0;
  ThrowIfFailed(decoder->GetFrameCount(&count));
  UINT best = 0;
  UINT best_width = 0;
  for (UINT i = 0; i < count; ++i) {
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(decoder->GetFrame(i, frame.Receive())) || FAILED(frame->GetSize(&width, &height))) {
      continue;
    }
    if (width > best_width) {
      best = i;
      best_width = width;
    }
  }
  return best;
}

}  // namespace

CWICImageLoader::CWICImageLoader(const std::wstring& path) { Open(path); }

CWICImageLoader::CWICImageLoader(IWICBitmapSource* source, IWICColorContext* colour_context)
    : source_(source), colour_context_(colour_context) {}

void CWICImageLoader::Reset() {
  colour_context_.Reset();
  exif_ = CExifInfo();
  source_.Reset();
  light_.Reset();
  decoder_.Reset();
  path_.clear();
  is_jpeg_ = false;
}

void CWICImageLoader::Open(const std::wstring& path) {
  Reset();
  try {
    // Creating the platform's JPEG decoder decodes the whole picture on some
    // systems: a JPEG is opened from its header, and decoded when and as
    // large as its pixels are needed.
    if (ComPtr<CJpegLightSource> light = CJpegLightSource::Open(path)) {
      LoadLight(light, path);
      return;
    }
    // Others may go on reading and writing the file while it is open here.
    ComPtr<IStream> stream;
    ThrowIfFailed(SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE,
                                         FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, stream.Receive()));
    ComPtr<IWICBitmapDecoder> decoder;
    ThrowIfFailed(CWICFactory::Required()->CreateDecoderFromStream(
        stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Receive()));
    stream.Reset();

    GUID container = {};
    ThrowIfFailed(decoder->GetContainerFormat(&container));
    const UINT index =
        IsEqualGUID(container, GUID_ContainerFormatIco) ? WidestFrame(decoder.Get()) : 0;
    ComPtr<IWICBitmapFrameDecode> frame;
    ThrowIfFailed(decoder->GetFrame(index, frame.Receive()));
    decoder_ = decoder;
    path_ = path;
    LoadFrame(frame.Get(), path, IsEqualGUID(container, GUID_ContainerFormatJpeg));
  } catch (const CComError&) {
    Reset();
  }
}

void CWICImageLoader::LoadFrame(IWICBitmapFrameDecode* frame, const std::wstring& path,
                                bool is_jpeg) {
  UINT contexts = 0;
  if (SUCCEEDED(frame->GetColorContexts(0, nullptr, &contexts)) && contexts > 0) {
    // A profile that cannot be read is dropped; the picture shows untransformed.
    ComPtr<IWICColorContext> context;
    if (SUCCEEDED(CWICFactory::Required()->CreateColorContext(context.Receive()))) {
      IWICColorContext* slot = context.Get();
      UINT delivered = 0;
      if (SUCCEEDED(frame->GetColorContexts(1, &slot, &delivered)) && delivered >= 1) {
        colour_context_ = context;
      }
    }
  }
  source_ = frame;
  is_jpeg_ = is_jpeg;

  ReadFrameMetadata(exif_, frame, is_jpeg ? path.c_str() : nullptr);
  ApplyOrientationSetting();
}

void CWICImageLoader::LoadLight(ComPtr<CJpegLightSource> light, const std::wstring& path) {
  const std::vector<uint8_t>& profile = light->header().icc_profile;
  if (!profile.empty()) {
    // A profile that cannot be read is dropped, as from the platform's frame.
    ComPtr<IWICColorContext> context;
    if (SUCCEEDED(CWICFactory::Required()->CreateColorContext(context.Receive())) &&
        SUCCEEDED(
            context->InitializeFromMemory(profile.data(), static_cast<UINT>(profile.size())))) {
      colour_context_ = context;
    }
  }
  path_ = path;
  source_ = light;
  light_ = light;
  is_jpeg_ = true;
  ReadJpegFileMetadata(exif_, path.c_str(), light->header().dpi_x);
  ApplyOrientationSetting();
}

IWICBitmapDecoder* CWICImageLoader::PlatformDecoder() const {
  if (!decoder_ && light_ && !path_.empty()) {
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    IWICImagingFactory* factory = CWICFactory::Get();
    if (factory &&
        SUCCEEDED(SHCreateStreamOnFileEx(path_.c_str(), STGM_READ | STGM_SHARE_DENY_NONE,
                                         FILE_ATTRIBUTE_NORMAL, FALSE, nullptr,
                                         stream.Receive())) &&
        SUCCEEDED(factory->CreateDecoderFromStream(
            stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Receive()))) {
      decoder_ = decoder;
    }
  }
  return decoder_.Get();
}

void CWICImageLoader::ApplyOrientationSetting() {
  if (!CWindowsVersion::IsWindows8OrLater()) {
    const CAppConfig* config = CAppConfig::GetInstance();
    if (!config->orientation_by_tag) {
      exif_.orientation = 0;
    }
  }
}

SIZE CWICImageLoader::GetOrientedSize() const {
  SIZE size = {0, 0};
  UINT width = 0;
  UINT height = 0;
  if (!source_ || FAILED(source_.Get()->GetSize(&width, &height))) {
    return size;
  }
  const bool swap = wic_pipeline::SwapsAxes(GetTransform());
  size.cx = static_cast<LONG>(swap ? height : width);
  size.cy = static_cast<LONG>(swap ? width : height);
  return size;
}

WICBitmapTransformOptions CWICImageLoader::TransformOfOrientation(int orientation) {
  switch (orientation) {
    case 2:
      return WICBitmapTransformFlipHorizontal;
    case 3:
      return WICBitmapTransformRotate180;
    case 4:
      return WICBitmapTransformFlipVertical;
    case 5:
      return static_cast<WICBitmapTransformOptions>(WICBitmapTransformFlipVertical |
                                                    WICBitmapTransformRotate90);
    case 6:
      return WICBitmapTransformRotate90;
    case 7:
      return static_cast<WICBitmapTransformOptions>(WICBitmapTransformFlipHorizontal |
                                                    WICBitmapTransformRotate90);
    case 8:
      return WICBitmapTransformRotate270;
    default:
      return WICBitmapTransformRotate0;
  }
}

int CWICImageLoader::NextOrientation(int orientation, bool clockwise) {
  static const int kUnmirrored[] = {1, 6, 3, 8};
  static const int kMirrored[] = {2, 7, 4, 5};
  const int clamped = std::clamp(orientation, 1, 8);
  for (const int* cycle : {kUnmirrored, kMirrored}) {
    const int* end = cycle + 4;
    const int* at = std::find(cycle, end, clamped);
    if (at != end) {
      const int index = static_cast<int>(at - cycle);
      return cycle[(index + (clockwise ? 1 : 3)) % 4];
    }
  }
  return 1;
}

int CWICImageLoader::RotateOrientation(bool clockwise) {
  exif_.orientation = NextOrientation(exif_.orientation, clockwise);
  return exif_.orientation;
}

ComPtr<IWICBitmap> CWICImageLoader::GetBitmap(bool colour_managed) const {
  try {
    if (!source_) {
      return nullptr;
    }
    ComPtr<IWICBitmap> bitmap;
    if (light_) {
      // Decoded straight into 32bppBGRA; the profile is applied to that.
      bitmap = light_->DecodeBgra();
      if (!bitmap) {
        return nullptr;
      }
      if (colour_managed && colour_context_) {
        bitmap = wic_pipeline::CacheInMemory(
            wic_pipeline::ApplyColourTransform(bitmap.Get(), colour_context_.Get(), false).Get());
      }
    } else {
      bitmap = source_.As<IWICBitmap>();
      if (!bitmap || !HasPixelFormat(bitmap.Get(), GUID_WICPixelFormat32bppBGRA)) {
        ComPtr<IWICBitmapSource> pipeline = source_;
        if (colour_managed && colour_context_) {
          pipeline =
              wic_pipeline::ApplyColourTransform(pipeline.Get(), colour_context_.Get(), false);
        }
        pipeline = wic_pipeline::ConvertToBgra(pipeline.Get());
        bitmap = wic_pipeline::CacheInMemory(pipeline.Get());
      }
    }
    const WICBitmapTransformOptions transform = GetTransform();
    if (transform != WICBitmapTransformRotate0) {
      bitmap = wic_pipeline::FlipRotate(bitmap.Get(), transform);
    }
    return bitmap;
  } catch (const CComError&) {
    return nullptr;
  }
}

ComPtr<IWICBitmapSource> CWICImageLoader::GetScaledBitmap(
    UINT width, UINT height, ComPtr<IWICColorContext>* colour_context) const {
  if (colour_context) {
    *colour_context = colour_context_;
  }
  ComPtr<IWICBitmap> bitmap = GetBitmap(false);
  if (!bitmap) {
    return nullptr;
  }
  const WICBitmapInterpolationMode mode = CWindowsVersion::IsWindows10OrLater()
                                              ? wic_pipeline::kHighQualityCubic
                                              : WICBitmapInterpolationModeFant;
  return wic_pipeline::ScaleWithFallback(bitmap.Get(), width, height, mode);
}

bool CWICImageLoader::RenderToBitmap(UINT width, UINT height, HBITMAP& out) const {
  return RenderToBitmap(width, height, CDisplayOptions::Current(), out);
}

bool CWICImageLoader::RenderToBitmap(UINT width, UINT height, const CDisplayOptions& options,
                                     HBITMAP& out) const {
  try {
    if (!source_ || width == 0 || height == 0) {
      return false;
    }
    // Scaling first, so the colour transform and the rotation work on the
    // small picture.
    const WICBitmapTransformOptions transform = GetTransform();
    const bool swap = wic_pipeline::SwapsAxes(transform);
    ComPtr<IWICBitmapSource> pipeline =
        ScaledJpegSource(swap ? height : width, swap ? width : height);
    if (!pipeline && light_) {
      // Not kept: the picture decoded at full size is needed only here.
      pipeline = light_->DecodeBgra();
    }
    if (!pipeline) {
      pipeline = wic_pipeline::ConvertToBgra(source_.Get());
    }
    pipeline = wic_pipeline::Scale(pipeline.Get(), swap ? height : width, swap ? width : height,
                                   WICBitmapInterpolationModeFant);
    if (!pipeline) {
      return false;
    }
    if (colour_context_ && options.colour_managed) {
      pipeline = wic_pipeline::ApplyColourTransform(pipeline.Get(), colour_context_.Get(), false);
    }
    if (transform != WICBitmapTransformRotate0) {
      ComPtr<IWICBitmap> upright = wic_pipeline::CacheInMemory(pipeline.Get());
      pipeline = wic_pipeline::FlipRotate(upright.Get(), transform);
    }
    return ComposeDisplayBitmap(pipeline.Get(), options, out);
  } catch (const CComError&) {
    return false;
  }
}

ComPtr<IWICBitmapSource> CWICImageLoader::ScaledJpegSource(UINT min_width, UINT min_height) const {
  UINT width = 0;
  UINT height = 0;
  if (!is_jpeg_ || path_.empty() || !source_ || FAILED(source_.Get()->GetSize(&width, &height))) {
    return nullptr;
  }
  const UINT denominator = jpeg_scaled::ChooseDenominator(width, height, min_width, min_height);
  if (denominator == 1) {
    return nullptr;
  }
  ComPtr<IWICBitmap> scaled = jpeg_scaled::Decode(source_.Get(), path_, denominator);
  return scaled ? ComPtr<IWICBitmapSource>(scaled.Get()) : nullptr;
}

bool CWICImageLoader::CopyToClipboard(const std::wstring& path) const {
  try {
    ComPtr<IWICBitmap> bitmap = GetBitmap(true);
    if (!bitmap) {
      return false;
    }
    UINT width = 0;
    UINT height = 0;
    ThrowIfFailed(bitmap->GetSize(&width, &height));
    const WICRect whole = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
    ComPtr<IWICBitmapLock> lock;
    ThrowIfFailed(bitmap->Lock(&whole, WICBitmapLockRead, lock.Receive()));
    UINT stride = 0;
    UINT size = 0;
    BYTE* pixels = nullptr;
    ThrowIfFailed(lock->GetStride(&stride));
    ThrowIfFailed(lock->GetDataPointer(&size, &pixels));
    // The buffer can only be described as it is when its rows are packed.
    if (uint64_t{stride} != uint64_t{width} * 4 || uint64_t{size} != uint64_t{stride} * height) {
      return false;
    }
    FCObjImage image;
    image.WrapExternal(static_cast<int>(width), static_cast<int>(height), pixels);
    FCEffectCopyToClipboard effect(path);
    RunEffect(effect, image, nullptr);
    image.Unwrap();
    return true;
  } catch (const CComError&) {
    return false;
  }
}

bool CWICImageLoader::IsAnimatedGif() const {
  if (!decoder_) {
    return false;
  }
  GUID container = {};
  UINT frames = 0;
  return SUCCEEDED(decoder_.Get()->GetContainerFormat(&container)) &&
         IsEqualGUID(container, GUID_ContainerFormatGif) &&
         SUCCEEDED(decoder_.Get()->GetFrameCount(&frames)) && frames > 1;
}
