#pragma once

#include <windows.h>
#include <shobjidl.h>
#include <thumbcache.h>
#include <wincodec.h>

#include <cstdint>
#include <string>

#include "framework/com_ptr.h"
#include "image/display_bitmap.h"

// One request to the system thumbnail cache.
struct CThumbnailRequest {
  enum Quality {
    kLowQuality = 1,  // a small or fast-extracted preview
    kFromCache = 2,   // the cache's own bit; also set for a large pre-Windows 10 preview
  };

  ComPtr<IThumbnailCache> cache;
  ComPtr<IShellItem> item;
  ComPtr<ISharedBitmap> bitmap;
  int32_t quality = 0;

  // A caller shows the thumbnail only when one came back and is not low
  // quality.
  bool IsUsable() const { return bitmap && (quality & kLowQuality) == 0; }
};

enum ThumbnailMode {
  kThumbnailCacheOnly = 0,  // what the cache holds, else a fast 256 pixel extraction
  kThumbnailScaled = 1,     // extracted and scaled to the requested size
  kThumbnailLarge = 2,      // extracted at the large size
};

// Fills request; true when a thumbnail came back. Fails quietly where the
// platform has no thumbnail cache.
bool RequestThumbnail(const std::wstring& path, UINT requested_size, int mode,
                      CThumbnailRequest* request);

// Like CWICImageLoader::RenderToBitmap for the request's thumbnail. transform
// is applied only before Windows 8 (later thumbnails come upright); the
// colour context, when given, is applied from sRGB to the embedded profile.
bool RenderThumbnailToBitmap(const CThumbnailRequest& request, UINT width, UINT height,
                             HBITMAP& out, WICBitmapTransformOptions transform,
                             IWICColorContext* colour_context, const CDisplayOptions& options);

// The same for a thumbnail already taken out of its shared bitmap.
bool RenderThumbnailHBitmap(HBITMAP thumbnail, WTS_ALPHATYPE alpha_type, UINT width, UINT height,
                            HBITMAP& out, WICBitmapTransformOptions transform,
                            IWICColorContext* colour_context, const CDisplayOptions& options);
