#pragma once

#include <windows.h>

#include <string>

#include "view_render/async_task.h"
#include "view_render/view_messages.h"

// Has the system thumbnail cache extract and keep the large preview of one
// neighbouring picture; the preview itself is dropped.
class CAsyncCreateSystemCache : public CAsyncTask {
 public:
  explicit CAsyncCreateSystemCache(std::wstring picture_path) : path(std::move(picture_path)) {}

  void Run() override;
  void OnComplete() override;

  HWND notify_hwnd = nullptr;  // set on the UI thread while the task runs
  const std::wstring path;
  bool started = false;   // set by the queue when the task starts
  bool finished = false;  // set once OnComplete ran
};
