#include "image/thumbnail_request.h"

#include <algorithm>

#include "image/display_bitmap.h"
#include "image/wic_factory.h"
#include "image/wic_pipeline.h"
#include "basic_lib/windows_version.h"

namespace {

// Missing from MinGW's import libraries.
const CLSID kClsidLocalThumbnailCache = {
    0x50EF4544, 0xAC9F, 0x4A8E, {0xB2, 0x1B, 0x8A, 0x26, 0x18, 0x0D, 0xB1, 0x3F}};

constexpr UINT kFastExtractSize = 256;

bool GetThumbnail(CThumbnailRequest* request, UINT size, WTS_FLAGS flags) {
  WTS_CACHEFLAGS cache_flags = WTS_DEFAULT;
  request->bitmap.Reset();
  if (FAILED(request->cache->GetThumbnail(request->item.Get(), size, flags,
                                          request->bitmap.Receive(), &cache_flags, nullptr)) ||
      !request->bitmap) {
    request->bitmap.Reset();
    return false;
  }
  request->quality = static_cast<int32_t>(cache_flags);
  return true;
}

UINT LargerSide(ISharedBitmap* bitmap) {
  SIZE size = {};
  if (!bitmap || FAILED(bitmap->GetSize(&size))) {
    return 0;
  }
  return static_cast<UINT>(std::max(size.cx, size.cy));
}

}  // namespace

bool RequestThumbnail(const std::wstring& path, UINT requested_size, int mode,
                      CThumbnailRequest* request) {
  *request = CThumbnailRequest();
  try {
    ThrowIfFailed(CoCreateInstance(kClsidLocalThumbnailCache, nullptr, CLSCTX_INPROC_SERVER,
                                   __uuidof(IThumbnailCache),
                                   reinterpret_cast<void**>(request->cache.Receive())));
    ThrowIfFailed(SHCreateItemFromParsingName(path.c_str(), nullptr, __uuidof(IShellItem),
                                              reinterpret_cast<void**>(request->item.Receive())));
    const bool windows10 = CWindowsVersion::IsWindows10OrLater();
    const UINT big = windows10 ? 1280 : 1024;
    switch (mode) {
      case kThumbnailCacheOnly: {
        const bool found =
            requested_size > big
                ? GetThumbnail(request, requested_size, WTS_INCACHEONLY | WTS_SCALETOREQUESTEDSIZE)
                : GetThumbnail(request, big, WTS_INCACHEONLY);
        if (!found && GetThumbnail(request, kFastExtractSize, WTS_FASTEXTRACT)) {
          request->quality = CThumbnailRequest::kLowQuality;
        }
        if (!windows10 && request->bitmap && LargerSide(request->bitmap.Get()) >= 1020 &&
            requested_size <= 1080) {
          request->quality = CThumbnailRequest::kFromCache;
        }
        break;
      }
      case kThumbnailScaled:
        GetThumbnail(request, requested_size, WTS_SCALETOREQUESTEDSIZE);
        break;
      case kThumbnailLarge:
        GetThumbnail(request, big, WTS_EXTRACT);
        break;
      default:
        break;
    }
  } catch (const CComError&) {
  }
  return static_cast<bool>(request->bitmap);
}

bool RenderThumbnailToBitmap(const CThumbnailRequest& request, UINT width, UINT height,
                             HBITMAP& out, WICBitmapTransformOptions transform,
                             IWICColorContext* colour_context, const CDisplayOptions& options) {
  if (!request.bitmap) {
    return false;
  }
  HBITMAP thumbnail = nullptr;
  WTS_ALPHATYPE alpha_type = WTSAT_UNKNOWN;
  if (FAILED(request.bitmap.Get()->GetSharedBitmap(&thumbnail)) || !thumbnail ||
      FAILED(request.bitmap.Get()->GetFormat(&alpha_type))) {
    return false;
  }
  return RenderThumbnailHBitmap(thumbnail, alpha_type, width, height, out, transform,
                                colour_context, options);
}

bool RenderThumbnailHBitmap(HBITMAP thumbnail, WTS_ALPHATYPE alpha_type, UINT width, UINT height,
                            HBITMAP& out, WICBitmapTransformOptions transform,
                            IWICColorContext* colour_context, const CDisplayOptions& options) {
  try {
    IWICImagingFactory* factory = CWICFactory::Get();
    if (!factory || !thumbnail || width == 0 || height == 0) {
      return false;
    }
    ComPtr<IWICBitmap> bitmap;
    ThrowIfFailed(factory->CreateBitmapFromHBITMAP(
        thumbnail, nullptr, alpha_type == WTSAT_ARGB ? WICBitmapUseAlpha : WICBitmapIgnoreAlpha,
        bitmap.Receive()));
    if (!CWindowsVersion::IsWindows8OrLater() && transform != WICBitmapTransformRotate0) {
      bitmap = wic_pipeline::FlipRotate(bitmap.Get(), transform);
    }
    ComPtr<IWICBitmapSource> pipeline = wic_pipeline::ConvertToBgra(bitmap.Get());
    pipeline = wic_pipeline::Scale(pipeline.Get(), width, height, WICBitmapInterpolationModeLinear);
    if (!pipeline) {
      return false;
    }
    if (colour_context) {
      pipeline = wic_pipeline::ApplyColourTransform(pipeline.Get(), colour_context, true);
    }
    return ComposeDisplayBitmap(pipeline.Get(), options, out);
  } catch (const CComError&) {
    return false;
  }
}
