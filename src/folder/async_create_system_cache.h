#pragma once

#include <windows.h>

#include <string>

#include "image/display_bitmap.h"
#include "view_render/async_task.h"
#include "view_render/view_messages.h"

class CFitBitmapStore;

// Prepares one neighbouring picture before the user turns to it: has the
// system thumbnail cache extract and keep its large preview (the preview
// itself is dropped), and, when a view size is given, renders its fit bitmap
// for that view into the in-memory store.
class CAsyncCreateSystemCache : public CAsyncTask {
 public:
  explicit CAsyncCreateSystemCache(std::wstring picture_path) : path(std::move(picture_path)) {}
  ~CAsyncCreateSystemCache() override;

  void Run() override;
  void OnComplete() override;

  HWND notify_hwnd = nullptr;  // set on the UI thread while the task runs
  const std::wstring path;
  bool started = false;   // set by the queue when the task starts
  bool finished = false;  // set once OnComplete ran

  // Set before the task is submitted.
  bool warm_system_cache = true;
  CFitBitmapStore* store = nullptr;  // where the fit bitmap goes; none: no fit bitmap
  int32_t view_width = 0;
  int32_t view_height = 0;
  CDisplayOptions options;

 private:
  void RenderFitBitmap();

  // The worker's result, handed to the store on completion.
  HBITMAP fit_bitmap_ = nullptr;
  bool fit_attempted_ = false;
  UINT fit_width_ = 0;
  UINT fit_height_ = 0;
  FILETIME written_ = {};
};
