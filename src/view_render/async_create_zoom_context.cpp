#include "view_render/async_create_zoom_context.h"

#include <utility>

#include "effects/current_effect.h"
#include "effects/effect_progress.h"
#include "image/wic_pipeline.h"
#include "view_render/async_task_queue.h"
#include "view_render/view_messages.h"

namespace view_render {

namespace {

bool SameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) {
    return false;
  }
  ComPtr<IUnknown> unknown_a;
  ComPtr<IUnknown> unknown_b;
  a->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(unknown_a.Receive()));
  b->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(unknown_b.Receive()));
  return unknown_a.Get() == unknown_b.Get();
}

}  // namespace

CAsyncCreateZoomContext::CAsyncCreateZoomContext(CWICImageLoaderPtr loader, HWND target,
                                                 float fit_ratio, int32_t image_width,
                                                 int32_t image_height,
                                                 ComPtr<ID2D1RenderTarget> render_target,
                                                 CDisplayOptions display)
    : loader_(std::move(loader)),
      target_(target),
      fit_ratio_(fit_ratio),
      image_width_(image_width),
      image_height_(image_height),
      render_target_(std::move(render_target)),
      display_(display) {}

void CAsyncCreateZoomContext::Run() {
  if (!loader_) {
    return;
  }
  const int effect = display_.effect;
  try {
    ComPtr<IWICBitmap> picture = loader_->GetBitmap(display_.colour_managed);
    if (!picture) {
      return;
    }
    if (effect != 0) {
      // A picture decoded by a fallback is the loader's own bitmap: the
      // enhancement must not be applied to the document's pixels.
      if (SameObject(picture.Get(), loader_->source())) {
        picture = wic_pipeline::CacheInMemory(picture.Get());
      }
      view_effect::CEffectProgress progress(&alive);
      ApplyEnhancementToBitmap(effect, picture.Get(), &progress);
      if (!alive) {
        return;  // half enhanced; nobody waits for it
      }
    }
    if (!render_target_ || !IsWindow(target_)) {
      return;
    }
    const float ratio_2x = 2.0f * fit_ratio_;
    const float ratio_4x = 4.0f * fit_ratio_;
    if (ratio_2x < 1.0f) {
      frame_2x = CZoomKeyFrame::Make(render_target_.Get(), picture.Get(), image_width_,
                                     image_height_, ratio_2x);
      if (!ReportProgress()) {
        return;
      }
    }
    if (frame_2x && ratio_4x < 1.0f) {
      frame_4x = CZoomKeyFrame::Make(render_target_.Get(), picture.Get(), image_width_,
                                     image_height_, ratio_4x);
      if (!ReportProgress()) {
        return;
      }
    }
    frame_full = CZoomKeyFrame::MakeFullSize(render_target_.Get(), picture.Get());
  } catch (const CComError&) {
  }
}

bool CAsyncCreateZoomContext::ReportProgress() {
  if (!hwnd) {
    return IsWindow(target_) != FALSE;  // run at once; the caller takes the frames
  }
  return CAsyncTaskQueue::RelayToUiThread(*this, target_, UM_ZOOM_CONTEXT_READY,
                                          reinterpret_cast<WPARAM>(this), 0);
}

void CAsyncCreateZoomContext::OnComplete() {
  if (target_ && IsWindow(target_)) {
    SendMessageW(target_, UM_ZOOM_CONTEXT_READY, reinterpret_cast<WPARAM>(this), 0);
  }
}

}  // namespace view_render
