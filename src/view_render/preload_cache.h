#pragma once

#include <windows.h>

namespace view_render {

// What the renderers need from the neighbour preload queue that warms the
// system thumbnail cache. Everything here runs on the user-interface thread.
class IPreloadCache {
 public:
  virtual ~IPreloadCache() = default;

  // The current picture's fit bitmap is known: preloading may start.
  virtual void Resume() = 0;
  // When a preload of the current picture's file is running, it will send
  // UM_SYSTEM_CACHE_READY to window when done; false when none runs.
  virtual bool WatchPreload(HWND window) = 0;
  // A width x height rendering of the current picture from the thumbnail
  // cache (or the document's display bitmap) into out: true when it is of
  // full quality; a low-quality preview may be left in out on false.
  virtual bool GetCachedFitBitmap(int width, int height, HBITMAP& out) = 0;
};

}  // namespace view_render
