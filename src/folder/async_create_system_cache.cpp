#include "folder/async_create_system_cache.h"

#include "image/thumbnail_request.h"
#include "basic_lib/windows_version.h"

void CAsyncCreateSystemCache::Run() {
  CThumbnailRequest request;
  RequestThumbnail(path, CWindowsVersion::IsWindows10OrLater() ? 1280 : 1024, kThumbnailLarge,
                   &request);
}

void CAsyncCreateSystemCache::OnComplete() {
  finished = true;
  if (notify_hwnd && IsWindow(notify_hwnd)) {
    SendMessageW(notify_hwnd, view_render::UM_SYSTEM_CACHE_READY, 0, 0);
  }
}
