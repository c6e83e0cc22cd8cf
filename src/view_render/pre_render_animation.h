#pragma once

#include <windows.h>

#include <cstdint>

#include "view_render/async_load_animation.h"
#include "view_render/message_window.h"
#include "view_render/pre_render.h"

namespace view_render {

class CViewRender;

// The content renderer of an animated GIF: the first frame at once, then
// every frame decoded in the background, cycled by a window timer with each
// frame's own delay. Zooming stretches the frame on screen.
class CPreRenderAnimation : public CPreRender, public FCMessageWindow {
 public:
  explicit CPreRenderAnimation(CViewRender& view);
  ~CPreRenderAnimation() override;

  // The frame on screen, whatever final_only says.
  HBITMAP GetFitBitmap(bool final_only) override;
  void Draw(HDC dc, int left, int top, int right, int bottom) override;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  const CAnimationFrames& frames() const { return frames_; }
  // The interval the animation timer was last set to; 0 when it never was.
  UINT timer_interval() const { return timer_interval_; }

  // The first interval of an animation: short delays start at 10 ms.
  static UINT FirstInterval(int32_t delay_ms);

 private:
  void LoadFirstFrame();
  void OnAnimationLoaded(CAsyncLoadAnimation* task);
  void OnTimer();
  void SetAnimationTimer(UINT interval);

  CViewRender& view_;
  CAnimationFrames frames_;
  UINT timer_interval_ = 0;
};

}  // namespace view_render
