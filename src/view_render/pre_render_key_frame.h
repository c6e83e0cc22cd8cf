#pragma once

#include <windows.h>
#include <d2d1.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/com_ptr.h"
#include "view_render/fit_view_frame.h"
#include "view_render/message_window.h"
#include "view_render/pre_render.h"
#include "view_render/zoom_key_frame.h"

namespace view_render {

class CAsyncCreateFitView;
class CAsyncCreateZoomContext;
class CViewRender;

// The key frames a ratio above fit is drawn from, best first; the fit frame
// is always tried after them.
enum class KeyFrameSlot { kFrame2x, kFrame4x, kFrameFull };
std::vector<KeyFrameSlot> ChooseKeyFrames(float ratio, const CZoomKeyFrame* frame_2x,
                                          const CZoomKeyFrame* frame_4x);

// The parts of dc's bitmap that drawing can change: the rectangles of its
// clip region (the exposed strips while panning), else the whole bitmap.
// Direct2D is bound to each in turn, so it copies back only those.
std::vector<RECT> DrawingBands(HDC dc);

// Fewer pixels than 1281 x 1281 are prepared at once on the user-interface
// thread; more in the background.
inline bool IsLargePicture(int32_t width, int32_t height) {
  return static_cast<int64_t>(width) * height >= 1640961;
}

// The content renderer of a still picture. Ratios up to fit are drawn from a
// fit frame made once per view size; ratios above fit from pre-scaled key
// frames at 2 x fit, 4 x fit and full size, made on the first zoom beyond fit
// and scaled on the fly by Direct2D. Large pictures are prepared in the
// background and shown meanwhile from a preview of the thumbnail cache. The
// message window receives the background results.
class CPreRenderKeyFrame : public CPreRender, public FCMessageWindow {
 public:
  explicit CPreRenderKeyFrame(CViewRender& view);
  ~CPreRenderKeyFrame() override;

  HBITMAP GetFitBitmap(bool final_only) override;
  bool FitFailed() const override { return fit_final_ && !fit_frame_.hbitmap(); }
  int DrawnQuality() override { return drawn_quality_; }
  void Draw(HDC dc, int left, int top, int right, int bottom) override;
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  // After Direct2D lost its device: the render target and the key frames are
  // dropped, results on their way are ignored, and the next draw beyond fit
  // requests everything again.
  void ResetZoomState();

  bool fit_final() const { return fit_final_; }
  bool zoom_requested() const { return zoom_requested_; }
  ID2D1DCRenderTarget* render_target() const { return render_target_.Get(); }
  const CFitViewFrame& fit_frame() const { return fit_frame_; }
  const std::shared_ptr<CZoomKeyFrame>& frame_2x() const { return frame_2x_; }
  const std::shared_ptr<CZoomKeyFrame>& frame_4x() const { return frame_4x_; }
  const std::shared_ptr<CZoomKeyFrame>& frame_full() const { return frame_full_; }
  // The ratio of the frame the last Draw used; 0 when it drew nothing.
  float last_drawn_ratio() const { return last_drawn_ratio_; }

 private:
  void PrepareFitFrame();
  void SubmitFitTask(bool second_pass);
  void SetFitBitmap(HBITMAP bitmap);
  // A final fit render produced nothing: tell the view, once.
  void ReportFitFailure();
  void OnFitViewReady(CAsyncCreateFitView* task);
  void OnSystemCacheReady();
  void RequestKeyFrames();
  void TakeKeyFrames(const CAsyncCreateZoomContext& task);
  void DrawKeyFrames(HDC dc, float ratio, int left, int top, int right, int bottom);
  void ResumePreload();
  bool IsLarge() const;

  CViewRender& view_;
  bool zoom_requested_ = false;
  CFitViewFrame fit_frame_;
  bool fit_final_ = false;
  int32_t fit_width_ = 1;
  int32_t fit_height_ = 1;
  HWND view_hwnd_ = nullptr;
  ComPtr<ID2D1DCRenderTarget> render_target_;
  std::shared_ptr<CZoomKeyFrame> frame_2x_;
  std::shared_ptr<CZoomKeyFrame> frame_4x_;
  std::shared_ptr<CZoomKeyFrame> frame_full_;
  float last_drawn_ratio_ = 0.0f;
  int drawn_quality_ = 0;
};

}  // namespace view_render
