#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "basic_lib/singleton.h"
#include "folder/fit_bitmap_store.h"
#include "view_render/async_task_queue.h"

class CAsyncCreateSystemCache;
class CWICImageLoader;

// Which way the user last stepped through the folder.
enum PreloadDirection : int32_t {
  kPreloadNone = 0,      // set whenever the folder changes
  kPreloadForward = 1,   // next picture
  kPreloadBackward = 2,  // previous picture
};

// What GetCachedFitBitmap needs to know of the current picture.
struct CFitBitmapSource {
  std::wstring path;
  const CWICImageLoader* loader = nullptr;  // its orientation and colour profile; may be null
  bool use_display_bitmap = false;
  IWICBitmapSource* display_bitmap = nullptr;  // in display orientation; may be null
};

// Warms the system thumbnail cache for the pictures next to the current one,
// one extraction at a time and only once the current picture is on screen,
// and takes the current picture's fit-size preview out of that cache.
// Each name of a folder is handed to the system cache at most once while the
// user stays in that folder. Once the view size is known it also renders the
// neighbours' fit bitmaps into an in-memory store (memory()), within the
// "preload_memory_mb" budget; a jump elsewhere cancels the preloads and drops
// the bitmaps that are no longer next to the current picture.
// User-interface thread only.
class CSystemCache : public CAsyncTaskQueue, public CSingletonT<CSystemCache> {
 public:
  CSystemCache() = default;

  // Replaces the pending preloads by those around names[current_index] of
  // folder, in the order the direction gives.
  void Preload(const std::wstring& folder, int32_t current_index,
               const std::deque<std::wstring>& names);
  // The current picture has its fit bitmap: preloads may start from now on.
  void Resume();

  void set_direction(int32_t direction) { direction_ = direction; }
  // The view the fit bitmaps are rendered for; (0, 0) renders none.
  void set_view_size(int32_t width, int32_t height);
  CFitBitmapStore& memory() { return memory_; }
  int32_t direction() const { return direction_; }

  // When a preload of current_path is running, has it send
  // UM_SYSTEM_CACHE_READY to window on completion and returns true.
  bool WatchPreload(HWND window, const std::wstring& current_path);

  // A width x height rendering of the current picture from its display
  // bitmap or from the system thumbnail cache into out (the caller owns it;
  // what out held is deleted). True only when it has full quality; a low
  // quality preview may still be left in out.
  static bool GetCachedFitBitmap(const CFitBitmapSource& picture, UINT width, UINT height,
                                 HBITMAP& out);

  // The offsets tried around the current index for a direction.
  static std::vector<int32_t> OffsetsFor(int32_t direction);

  // Paths of the preloads submitted and not yet completed, in submission
  // order (pending ones and the running one).
  std::vector<std::wstring> QueuedPaths();
  const std::set<std::wstring>& cached_names() const { return cached_names_; }
  const std::wstring& folder() const { return folder_; }
  bool resumed() const { return resumed_ != 0; }

  int MaxRunning() override;
  void OnTaskStart(CAsyncTask* task) override;

 private:
  void ForgetCompletedTasks();

  bool RendersFitBitmaps() const;

  int32_t direction_ = kPreloadNone;
  int32_t view_width_ = 0;
  int32_t view_height_ = 0;
  CFitBitmapStore memory_;
  std::set<std::wstring> cached_names_;  // by UTF-16 code units, case-sensitive
  std::wstring folder_;
  int32_t resumed_ = 0;
  // Everything submitted, to find the running task; the queue owns them.
  std::vector<std::weak_ptr<CAsyncCreateSystemCache>> tasks_;
};
