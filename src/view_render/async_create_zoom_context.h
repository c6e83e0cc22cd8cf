#pragma once

#include <windows.h>
#include <d2d1.h>

#include <cstdint>
#include <memory>

#include "framework/com_ptr.h"
#include "image/display_bitmap.h"
#include "image/wic_image_loader.h"
#include "view_render/async_task.h"
#include "view_render/zoom_key_frame.h"

namespace view_render {

// Makes the zoom key frames of the current picture on the renderer's render
// target: 2 x fit and 4 x fit (each only below 1.0) and full size. Each
// frame but the last is reported as it is made (UM_ZOOM_CONTEXT_READY
// through the queue's relay); the completion reports all three.
class CAsyncCreateZoomContext : public CAsyncTask {
 public:
  CAsyncCreateZoomContext(CWICImageLoaderPtr loader, HWND target, float fit_ratio,
                          int32_t image_width, int32_t image_height,
                          ComPtr<ID2D1RenderTarget> render_target, CDisplayOptions display);

  // On a queue's worker, or at once on the user-interface thread, where the
  // caller takes the frames over itself afterwards.
  void Run() override;
  void OnComplete() override;

  std::shared_ptr<CZoomKeyFrame> frame_2x;
  std::shared_ptr<CZoomKeyFrame> frame_4x;
  std::shared_ptr<CZoomKeyFrame> frame_full;

 private:
  // Reports progress; false when the target window is gone.
  bool ReportProgress();

  CWICImageLoaderPtr loader_;
  HWND target_;
  float fit_ratio_;
  int32_t image_width_;
  int32_t image_height_;
  ComPtr<ID2D1RenderTarget> render_target_;
  CDisplayOptions display_;  // the settings when the frames were asked for
};

}  // namespace view_render
