#include "view_render/pre_render_animation.h"

#include <wincodec.h>

#include <memory>

#include "image/display_bitmap.h"
#include "view_render/view_messages.h"
#include "view_render/view_render.h"

namespace view_render {

CPreRenderAnimation::CPreRenderAnimation(CViewRender& view) : view_(view) {
  CreateMessageWindow(nullptr);
  LoadFirstFrame();
  view_.document().GetQueue().Submit(std::make_shared<CAsyncLoadAnimation>(
      hwnd, view_.document().GetPath(), CDisplayOptions::Current().canvas));
  if (view_.preload()) {
    view_.preload()->Resume();
  }
}

CPreRenderAnimation::~CPreRenderAnimation() {
  // Takes the timer with it.
  DestroyMessageWindow();
}

UINT CPreRenderAnimation::FirstInterval(int32_t delay_ms) {
  return delay_ms <= 30 ? 10u : static_cast<UINT>(delay_ms);
}

void CPreRenderAnimation::LoadFirstFrame() {
  const CWICImageLoaderPtr loader = view_.document().GetLoader();
  if (!loader) {
    return;
  }
  ComPtr<IWICBitmap> picture = loader->GetBitmap(false);
  auto image = std::make_shared<FCObjImage>();
  if (!picture || !image->LoadFromWicSource(picture.Get(), GUID_WICPixelFormat32bppPBGRA)) {
    return;
  }
  frames_.push_back(CAnimationFrame{std::move(image), 0});
}

HBITMAP CPreRenderAnimation::GetFitBitmap(bool /*final_only*/) {
  return frames_.empty() ? nullptr : frames_.front().image->GetHBITMAP();
}

void CPreRenderAnimation::Draw(HDC dc, int left, int top, int right, int bottom) {
  if (frames_.empty()) {
    return;
  }
  frames_.front().image->DrawTo(dc, RECT{left, top, right, bottom});
}

void CPreRenderAnimation::SetAnimationTimer(UINT interval) {
  timer_interval_ = interval;
  SetTimer(hwnd, kAnimationTimerId, interval, nullptr);
}

void CPreRenderAnimation::OnAnimationLoaded(CAsyncLoadAnimation* task) {
  if (task->frames().empty()) {
    return;  // the first frame stays
  }
  frames_ = std::move(task->frames());
  SetAnimationTimer(FirstInterval(frames_.front().delay_ms));
}

void CPreRenderAnimation::OnTimer() {
  if (frames_.empty()) {
    return;
  }
  CAnimationFrame shown = std::move(frames_.front());
  frames_.pop_front();
  const int32_t previous_delay = shown.delay_ms;
  frames_.push_back(std::move(shown));
  view_.Refresh();
  if (frames_.front().delay_ms != previous_delay) {
    SetAnimationTimer(static_cast<UINT>(frames_.front().delay_ms));
  }
}

LRESULT CPreRenderAnimation::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case UM_ANIMATION_LOADED:
      if (auto* task = reinterpret_cast<CAsyncLoadAnimation*>(wparam)) {
        OnAnimationLoaded(task);
      }
      return 0;
    case WM_TIMER:
      if (wparam == kAnimationTimerId) {
        OnTimer();
        return 0;
      }
      break;
    default:
      break;
  }
  return FCMessageWindow::HandleMessage(message, wparam, lparam);
}

}  // namespace view_render
