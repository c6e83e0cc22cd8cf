#include "folder/system_cache.h"

#include <shlwapi.h>

#include <algorithm>

#include "config/app_config.h"
#include "folder/async_create_system_cache.h"
#include "framework/com_ptr.h"
#include "image/image_format.h"
#include "image/thumbnail_request.h"
#include "image/wic_image_loader.h"

std::vector<int32_t> CSystemCache::OffsetsFor(int32_t direction) {
  switch (direction) {
    case kPreloadForward:
      return {1, 2, 3};
    case kPreloadBackward:
      return {-1, -2, -3};
    default:
      return {1, -1, 2, 3};
  }
}

void CSystemCache::Preload(const std::wstring& folder, int32_t current_index,
                           const std::deque<std::wstring>& names) {
  // A preload never looks at its cancel flag, so a running extraction
  // finishes; only the pending ones are dropped.
  CancelPending();
  ForgetCompletedTasks();
  if (folder != folder_) {
    direction_ = kPreloadNone;
    cached_names_.clear();
    folder_ = folder;
  }

  const int64_t count = static_cast<int64_t>(names.size());
  for (int32_t offset : OffsetsFor(direction_)) {
    const int64_t index = static_cast<int64_t>(current_index) + offset;
    if (current_index < 0 || index < 0 || index >= count) {
      continue;
    }
    const std::wstring& name = names[static_cast<size_t>(index)];
    if (!IsNativeEncodableClass(GetImageFormatClass(name)) || cached_names_.count(name) != 0) {
      continue;
    }
    wchar_t path[MAX_PATH] = {};
    if (folder.size() >= MAX_PATH) {
      continue;
    }
    folder.copy(path, folder.size());
    if (!PathAppendW(path, name.c_str())) {
      continue;
    }
    auto task = std::make_shared<CAsyncCreateSystemCache>(path);
    tasks_.push_back(task);
    Submit(task);
  }
}

void CSystemCache::Resume() {
  resumed_ = 1;
  Pump();
}

int CSystemCache::MaxRunning() {
  const CAppConfig* config = CAppConfig::GetInstance();
  return config->preload_enable && resumed_ ? 1 : 0;
}

void CSystemCache::OnTaskStart(CAsyncTask* task) {
  auto* preload = dynamic_cast<CAsyncCreateSystemCache*>(task);
  if (!preload) {
    return;
  }
  preload->started = true;
  cached_names_.insert(PathFindFileNameW(preload->path.c_str()));
}

void CSystemCache::ForgetCompletedTasks() {
  tasks_.erase(std::remove_if(tasks_.begin(), tasks_.end(),
                              [](const std::weak_ptr<CAsyncCreateSystemCache>& weak) {
                                auto task = weak.lock();
                                return !task || task->finished;
                              }),
               tasks_.end());
}

std::vector<std::wstring> CSystemCache::QueuedPaths() {
  ForgetCompletedTasks();
  std::vector<std::wstring> paths;
  for (const auto& weak : tasks_) {
    if (auto task = weak.lock()) {
      paths.push_back(task->path);
    }
  }
  return paths;
}

bool CSystemCache::WatchPreload(HWND window, const std::wstring& current_path) {
  ForgetCompletedTasks();
  for (const auto& weak : tasks_) {
    auto task = weak.lock();
    if (task && task->started && task->path == current_path) {
      task->notify_hwnd = window;
      return true;
    }
  }
  return false;
}

bool CSystemCache::GetCachedFitBitmap(const CFitBitmapSource& picture, UINT width, UINT height,
                                      HBITMAP& out) {
  if (width == 0 || height == 0) {
    return false;
  }
  if (picture.use_display_bitmap) {
    if (!picture.display_bitmap) {
      return false;
    }
    UINT display_width = 0;
    UINT display_height = 0;
    if (FAILED(picture.display_bitmap->GetSize(&display_width, &display_height))) {
      return false;
    }
    // The display bitmap is upright already: no decoder, no orientation.
    CWICImageLoader display(picture.display_bitmap, nullptr);
    return display.RenderToBitmap(width, height, out) && display_width >= width;
  }

  if (!IsNativeEncodableClass(GetImageFormatClass(picture.path))) {
    return false;
  }
  CThumbnailRequest request;
  RequestThumbnail(picture.path, std::max(width, height), kThumbnailCacheOnly, &request);
  const WICBitmapTransformOptions transform =
      picture.loader ? picture.loader->GetTransform() : WICBitmapTransformRotate0;
  // The cache's previews are sRGB; a view that ignores embedded profiles
  // shows the file's own values, so the preview is mapped back to them.
  const CDisplayOptions options = CDisplayOptions::Current();
  IWICColorContext* colour_context =
      picture.loader && !options.colour_managed ? picture.loader->colour_context() : nullptr;
  if (!RenderThumbnailToBitmap(request, width, height, out, transform, colour_context, options)) {
    return false;
  }
  return (request.quality & CThumbnailRequest::kLowQuality) == 0;
}
