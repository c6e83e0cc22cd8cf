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

void CSystemCache::set_view_size(int32_t width, int32_t height) {
  if (width != view_width_ || height != view_height_) {
    // Bitmaps of another size would never match.
    memory_.Clear();
  }
  view_width_ = width;
  view_height_ = height;
}

bool CSystemCache::RendersFitBitmaps() const {
  const CAppConfig* config = CAppConfig::GetInstance();
  const size_t budget = config ? static_cast<size_t>(config->preload_memory_mb) << 20 : 0;
  return budget > 0 && view_width_ > 0 && view_height_ > 0;
}

void CSystemCache::Preload(const std::wstring& folder, int32_t current_index,
                           const std::deque<std::wstring>& names) {
  // Pending preloads are dropped; a running one finishes, unless its picture
  // is no longer next to the current one: then its result is thrown away.
  DropPending();
  ForgetCompletedTasks();
  if (folder != folder_) {
    direction_ = kPreloadNone;
    cached_names_.clear();
    memory_.ForgetNothingKept();
    folder_ = folder;
  }
  const CAppConfig* config = CAppConfig::GetInstance();
  memory_.set_budget(config ? static_cast<size_t>(config->preload_memory_mb) << 20 : 0);
  const bool render = RendersFitBitmaps();

  auto path_of = [&folder](const std::wstring& name) {
    wchar_t path[MAX_PATH] = {};
    if (folder.size() >= MAX_PATH) {
      return std::wstring();
    }
    folder.copy(path, folder.size());
    return PathAppendW(path, name.c_str()) ? std::wstring(path) : std::wstring();
  };
  const int64_t count = static_cast<int64_t>(names.size());
  std::set<std::wstring> wanted;
  if (current_index >= 0 && current_index < count) {
    wanted.insert(path_of(names[static_cast<size_t>(current_index)]));
  }
  std::vector<std::wstring> neighbours;
  for (int32_t offset : OffsetsFor(direction_)) {
    const int64_t index = static_cast<int64_t>(current_index) + offset;
    if (current_index < 0 || index < 0 || index >= count) {
      continue;
    }
    const std::wstring& name = names[static_cast<size_t>(index)];
    if (!IsNativeEncodableClass(GetImageFormatClass(name))) {
      continue;
    }
    const std::wstring path = path_of(name);
    if (!path.empty()) {
      wanted.insert(path);
      neighbours.push_back(path);
    }
  }
  memory_.Retain(wanted);
  std::set<std::wstring> running;
  for (const auto& weak : tasks_) {
    auto task = weak.lock();
    if (!task || !task->started) {
      continue;
    }
    if (wanted.count(task->path) == 0) {
      task->Cancel();
    } else if (task->alive) {
      running.insert(task->path);
    }
  }

  for (const std::wstring& path : neighbours) {
    const bool warm = cached_names_.count(PathFindFileNameW(path.c_str())) == 0;
    const bool fit =
        render && !memory_.Has(path) && !memory_.NothingKept(path) && running.count(path) == 0;
    if (!warm && !fit) {
      continue;
    }
    auto task = std::make_shared<CAsyncCreateSystemCache>(path);
    task->warm_system_cache = warm;
    if (fit) {
      task->store = &memory_;
      task->view_width = view_width_;
      task->view_height = view_height_;
      task->options = CDisplayOptions::Current();
    }
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
