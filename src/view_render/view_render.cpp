#include "view_render/view_render.h"

#include <algorithm>

#include "config/app_config.h"
#include "framework/gdi_objects.h"
#include "log/my_log.h"
#include "log/timing_trace.h"
#include "view_render/halftone_stretch.h"
#include "view_render/pre_render_animation.h"
#include "view_render/pre_render_key_frame.h"
#include "widgets/ui_event.h"
#include "widgets/window_title.h"

namespace view_render {

namespace {

constexpr float kMinZoomRatio = 0.05f;
constexpr float kZoomStepFactor = 0.1f;

}  // namespace

RECT ViewAreaOf(const RECT& client) {
  RECT area = client;
  const CAppConfig* config = CAppConfig::GetInstance();
  if (!config->toolbar_dock) {
    area.left += config->view_margin;
    area.right -= config->view_margin;
    area.bottom -= config->view_margin;
  }
  area.right = std::max(area.right, area.left);
  area.bottom = std::max(area.bottom, area.top);
  return area;
}

CViewRender::CViewRender(IViewDocument& document, IPreloadCache* preload, HWND window)
    : document_(document), preload_(preload), hwnd_(window) {}

CViewRender::~CViewRender() {
  // The renderer draws into the buffer and reads the view: it goes first.
  renderer_.reset();
  buffer_.reset();
}

std::unique_ptr<CViewRender> CViewRender::Create(IViewDocument& document, IPreloadCache* preload,
                                                 HWND window, int32_t view_width,
                                                 int32_t view_height, bool* loading) {
  std::unique_ptr<CViewRender> view(new CViewRender(document, preload, window));
  const SIZE size = document.GetOrientedSize();
  view->image_width_ = std::max<int32_t>(1, size.cx);
  view->image_height_ = std::max<int32_t>(1, size.cy);
  view->Resize(view_width, view_height);
  if (loading) {
    *loading = view->GetFitBitmap(false) == nullptr;
  }
  const CAppConfig* config = CAppConfig::GetInstance();
  if (config->long_image_mode && document.IsLongImage()) {
    view->ZoomTo(1.0f, 0, 0);
  }
  return view;
}

SIZE CViewRender::SetRatio(float ratio) {
  ratio_ = ratio;
  const SIZE zoomed = ZoomedSize(image_width_, image_height_, ratio);
  ratio_x_ = RoundToSingle(static_cast<float>(zoomed.cx) / static_cast<float>(image_width_));
  ratio_y_ = RoundToSingle(static_cast<float>(zoomed.cy) / static_cast<float>(image_height_));
  return zoomed;
}

void CViewRender::ReportZoomToTitle(float ratio) const {
  if (CWindowTitle* title = CWindowTitle::GetInstance()) {
    title->SetZoom(ratio);
  }
}

void CViewRender::Resize(int32_t view_width, int32_t view_height) {
  // A minimised window has no area; one pixel keeps every ratio above 0.
  view_width = std::max<int32_t>(1, view_width);
  view_height = std::max<int32_t>(1, view_height);
  if (buffer_ && buffer_->width() == view_width && buffer_->height() == view_height) {
    ReportZoomToTitle(ratio_);
    return;
  }
  document_.CancelPending();
  buffer_ = std::make_unique<CBufferedView>(view_width, view_height);

  fit_ratio_ = FitRatio(view_width, view_height, image_width_, image_height_);
  fit_size_ = SetRatio(fit_ratio_);
  geometry_ = std::make_unique<CViewGeometry>(view_width, view_height);
  geometry_->SetZoomedSize(fit_size_.cx, fit_size_.cy);

  LOG_INFO << "actualsize.cx:" << image_width_ << " actualsize.cy" << image_height_;
  LOG_INFO << "init_ratio:" << fit_ratio_;
  LOG_INFO << "view_size.cx:" << view_width << " view_size.cy:" << view_height;
  LOG_INFO << "zoomed_size.cx:" << fit_size_.cx << " zoomed_size.cy:" << fit_size_.cy;

  const CAppConfig* config = CAppConfig::GetInstance();
  toggle_ratio_ = config->double_click_action == 1 ? 1.0f : 2.0f * fit_ratio_;

  const CWICImageLoaderPtr loader = document_.GetLoader();
  std::unique_ptr<CPreRender> renderer;
  if (loader && loader->IsAnimatedGif()) {
    renderer = std::make_unique<CPreRenderAnimation>(*this);
  } else {
    renderer = std::make_unique<CPreRenderKeyFrame>(*this);
  }
  renderer_.swap(renderer);
  renderer.reset();

  RenderToBuffer();
  ReportZoomToTitle(ratio_);
}

bool CViewRender::ZoomTo(float ratio, int32_t anchor_x, int32_t anchor_y) {
  const float point_x = RoundToSingle(static_cast<float>(anchor_x - image_left()) / ratio_x_);
  const float point_y = RoundToSingle(static_cast<float>(anchor_y - image_top()) / ratio_y_);
  const int32_t old_width = geometry_->zoomed_width;
  const int32_t old_height = geometry_->zoomed_height;
  const SIZE zoomed = SetRatio(ratio);
  if (zoomed.cx == old_width && zoomed.cy == old_height) {
    return false;
  }
  geometry_->SetZoomedSize(zoomed.cx, zoomed.cy);
  geometry_->ScrollTo(RoundToSingle(ratio_x_ * point_x), RoundToSingle(ratio_y_ * point_y),
                      anchor_x, anchor_y);
  RenderToBuffer();
  ReportZoomToTitle(ratio_);
  CUIEventObserver::Broadcast(CUIEventViewZoomChanged(ratio_, fit_ratio_));
  return true;
}

bool CViewRender::ZoomToggle(int32_t anchor_x, int32_t anchor_y) {
  return ZoomTo(ratio_ == fit_ratio_ ? toggle_ratio_ : fit_ratio_, anchor_x, anchor_y);
}

bool CViewRender::ZoomStep(int32_t steps, int32_t anchor_x, int32_t anchor_y) {
  const float factor =
      RoundToSingle(RoundToSingle(static_cast<float>(steps) * kZoomStepFactor) + 1.0f);
  const float wanted = RoundToSingle(factor * ratio_);
  const CAppConfig* config = CAppConfig::GetInstance();
  const float upper = static_cast<float>(config->max_zoom_ratio);
  const float lower = std::min(kMinZoomRatio, fit_ratio_);
  const float ratio = wanted >= upper ? upper : std::max(wanted, lower);
  return ZoomTo(ratio, anchor_x, anchor_y);
}

bool CViewRender::ToggleActualSize() {
  const int32_t anchor_x = buffer_ ? buffer_->width() / 2 : 0;
  const int32_t anchor_y = buffer_ ? buffer_->height() / 2 : 0;
  return ZoomTo(ratio_ == fit_ratio_ ? 1.0f : fit_ratio_, anchor_x, anchor_y);
}

bool CViewRender::Pan(int32_t dx, int32_t dy) {
  const RECT old = geometry_->source_rect;
  if (!geometry_->Pan(dx, dy)) {
    return false;
  }
  const RECT& now = geometry_->source_rect;
  if (!buffer_ || !buffer_->IsValid()) {
    return true;
  }
  const int saved = buffer_->SaveDC();
  buffer_->ScrollContents(old.left - now.left, old.top - now.top);
  RenderToBuffer();
  buffer_->RestoreDC(saved);
  return true;
}

void CViewRender::RenderToBuffer() {
  if (!buffer_ || !buffer_->IsValid()) {
    return;
  }
  const RECT all = {0, 0, buffer_->width(), buffer_->height()};
  const CAppConfig* config = CAppConfig::GetInstance();
  if (config->canvas_brush) {
    FillRect(*buffer_, &all, config->canvas_brush);
  } else {
    CBrush canvas;
    canvas.CreateSolidBrush(config->canvas_back_color);
    FillRect(*buffer_, &all, canvas);
  }
  if (renderer_) {
    const int32_t left = image_left();
    const int32_t top = image_top();
    renderer_->Draw(*buffer_, left, top, left + geometry_->zoomed_width,
                    top + geometry_->zoomed_height);
  }
}

void CViewRender::Refresh() {
  RenderToBuffer();
  if (hwnd_ && IsWindow(hwnd_)) {
    InvalidateRect(hwnd_, nullptr, TRUE);
    UpdateWindow(hwnd_);
  }
}

void CViewRender::Paint(HDC dc, int32_t width, int32_t height, bool live) {
  if (live) {
    PaintLive(dc, width, height);
    return;
  }
  if (buffer_ && buffer_->IsValid()) {
    BitBlt(dc, 0, 0, buffer_->width(), buffer_->height(), *buffer_, 0, 0, SRCCOPY);
    if (renderer_ && timing_trace::Enabled()) {
      if (const int quality = renderer_->DrawnQuality()) {
        timing_trace::PictureDrawn(quality == 2);
      }
    }
  }
}

void CViewRender::PaintLive(HDC dc, int32_t width, int32_t height) {
  width = std::max<int32_t>(1, width);
  height = std::max<int32_t>(1, height);
  const float saved_ratio = ratio_;
  const float saved_ratio_x = ratio_x_;
  const float saved_ratio_y = ratio_y_;

  const float live_fit = FitRatio(width, height, image_width_, image_height_);
  const SIZE zoomed = SetRatio(live_fit);
  CViewGeometry live(width, height);
  live.SetZoomedSize(zoomed.cx, zoomed.cy);
  if (HBITMAP fit_bitmap = GetFitBitmap(false)) {
    StretchBitmapHalftone(dc, fit_bitmap, live.image_left(), live.image_top(), zoomed.cx,
                          zoomed.cy);
  }
  ReportZoomToTitle(live_fit);

  ratio_ = saved_ratio;
  ratio_x_ = saved_ratio_x;
  ratio_y_ = saved_ratio_y;
}

HBITMAP CViewRender::GetFitBitmap(bool final_only) const {
  return renderer_ ? renderer_->GetFitBitmap(final_only) : nullptr;
}

}  // namespace view_render
