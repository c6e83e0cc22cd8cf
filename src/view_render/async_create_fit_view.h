#pragma once

#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>

#include "framework/com_ptr.h"
#include "image/wic_image_loader.h"
#include "view_render/async_task.h"

namespace view_render {

// Renders the current picture at its fit size in the background: from the
// system thumbnail cache where it can (a large preview first, needing a
// second pass when the view is larger than the preview), else by decoding.
// On completion it sends UM_FIT_VIEW_READY to its target window, if that
// still exists.
class CAsyncCreateFitView : public CAsyncTask {
 public:
  struct Request {
    CWICImageLoaderPtr loader;
    std::wstring path;
    HWND target = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool second_pass = false;
    bool use_display_bitmap = false;
    WICBitmapTransformOptions transform = WICBitmapTransformRotate0;
    ComPtr<IWICColorContext> colour_context;  // only when embedded profiles are ignored
    CDisplayOptions display;                  // the settings when the request was made
  };

  explicit CAsyncCreateFitView(Request request);
  ~CAsyncCreateFitView() override;

  void Run() override;
  void OnComplete() override;

  // The result; the caller owns it afterwards.
  HBITMAP TakeBitmap();
  bool needs_second_pass() const { return needs_second_pass_; }
  bool second_pass() const { return request_.second_pass; }

  // The view size above which a large thumbnail is too small to be final.
  static int32_t LargePreviewLimit();

 private:
  bool RenderFromThumbnailCache();

  Request request_;
  HBITMAP hbitmap_ = nullptr;
  bool needs_second_pass_ = false;
};

}  // namespace view_render
