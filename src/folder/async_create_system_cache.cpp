#include "folder/async_create_system_cache.h"

#include "folder/fit_bitmap_store.h"
#include "image/image_file_opener.h"
#include "image/thumbnail_request.h"
#include "image/wic_image_loader.h"
#include "log/timing_trace.h"
#include "basic_lib/windows_version.h"
#include "view_render/pre_render_key_frame.h"
#include "view_render/view_geometry.h"

CAsyncCreateSystemCache::~CAsyncCreateSystemCache() {
  if (fit_bitmap_) {
    DeleteObject(fit_bitmap_);
  }
}

void CAsyncCreateSystemCache::Run() {
  if (warm_system_cache) {
    CThumbnailRequest request;
    RequestThumbnail(path, CWindowsVersion::IsWindows10OrLater() ? 1280 : 1024, kThumbnailLarge,
                     &request);
  }
  if (store && view_width > 0 && view_height > 0 && alive) {
    RenderFitBitmap();
  }
}

void CAsyncCreateSystemCache::RenderFitBitmap() {
  fit_attempted_ = true;
  written_ = CFitBitmapStore::LastWriteTime(path);
  const CWICImageLoaderPtr loader = OpenImageFile(path);
  if (!loader || !loader->source() || loader->IsAnimatedGif() || !alive) {
    return;
  }
  const SIZE size = loader->GetOrientedSize();
  // Small pictures are rendered on the spot when shown; only large ones pay.
  if (!view_render::IsLargePicture(size.cx, size.cy)) {
    return;
  }
  const float ratio = view_render::FitRatio(view_width, view_height, size.cx, size.cy);
  const SIZE fit = view_render::ZoomedSize(size.cx, size.cy, ratio);
  HBITMAP bitmap = nullptr;
  if (loader->RenderToBitmap(static_cast<UINT>(fit.cx), static_cast<UINT>(fit.cy), options,
                             bitmap)) {
    fit_bitmap_ = bitmap;
    fit_width_ = static_cast<UINT>(fit.cx);
    fit_height_ = static_cast<UINT>(fit.cy);
  }
}

void CAsyncCreateSystemCache::OnComplete() {
  finished = true;
  // A preload cancelled by a jump elsewhere keeps nothing.
  if (fit_bitmap_ && store && alive) {
    if (store->Put(path, fit_width_, fit_height_, options, written_, fit_bitmap_)) {
      timing_trace::Record("preloaded", path);
    }
    fit_bitmap_ = nullptr;
  } else if (fit_attempted_ && store && alive) {
    store->NoteNothingKept(path);
  }
  if (notify_hwnd && IsWindow(notify_hwnd)) {
    SendMessageW(notify_hwnd, view_render::UM_SYSTEM_CACHE_READY, 0, 0);
  }
}
