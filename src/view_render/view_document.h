#pragma once

#include <windows.h>

#include <string>

#include "image/wic_image_loader.h"
#include "view_render/async_task_queue.h"

namespace view_render {

// The current picture as the view model and its renderers see it. The
// current image document implements it; everything here runs on the
// user-interface thread.
class IViewDocument {
 public:
  virtual ~IViewDocument() = default;

  // Shared with the background tasks that render the picture; null when no
  // picture could be decoded.
  virtual CWICImageLoaderPtr GetLoader() const = 0;
  virtual std::wstring GetPath() const = 0;
  // The picture's size in display orientation; (0, 0) without a loader.
  virtual SIZE GetOrientedSize() const = 0;
  // A tall, narrow picture that long-picture mode opens at full size.
  virtual bool IsLongImage() const = 0;
  // Set once a display bitmap was handed over for this picture (before a
  // rotation): the renderers then render that instead of the file.
  virtual bool UseDisplayBitmap() const = 0;

  // The document's task queue, one running task at a time; created on first
  // use.
  virtual CAsyncTaskQueue& GetQueue() = 0;
  // Drops the queue's pending tasks and cancels the running ones.
  virtual void CancelPending() = 0;
};

}  // namespace view_render
