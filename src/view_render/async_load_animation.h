#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>

#include "image/obj_image.h"
#include "view_render/async_task.h"

namespace view_render {

// One frame of an animated picture and how long it stays on screen.
struct CAnimationFrame {
  FCObjImagePtr image;
  int32_t delay_ms = 0;
};

using CAnimationFrames = std::deque<CAnimationFrame>;

// Decodes every frame of an animated GIF with GDI+, composed over the canvas
// colour, with its delay. On completion it sends UM_ANIMATION_LOADED to its
// target window, if that still exists. A file that is not animated, or
// whose delays do not match its frames, yields no frames.
class CAsyncLoadAnimation : public CAsyncTask {
 public:
  // canvas is the colour under transparent pixels, taken with the request.
  CAsyncLoadAnimation(HWND target, std::wstring path, COLORREF canvas);

  void Run() override;
  void OnComplete() override;

  CAnimationFrames& frames() { return frames_; }

  // A delay in hundredths of a second as milliseconds; 0 means 100 ms.
  static int32_t DelayFromGif(uint32_t hundredths);

 private:
  HWND target_;
  std::wstring path_;
  COLORREF canvas_;
  CAnimationFrames frames_;
};

}  // namespace view_render
