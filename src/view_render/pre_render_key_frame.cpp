#include "view_render/pre_render_key_frame.h"

#include <d2derr.h>

#include <algorithm>
#include <utility>

#include "config/app_config.h"
#include "framework/gdi_objects.h"
#include "view_render/async_create_fit_view.h"
#include "view_render/async_create_zoom_context.h"
#include "view_render/d2d_support.h"
#include "view_render/halftone_stretch.h"
#include "view_render/view_messages.h"
#include "view_render/view_render.h"

namespace view_render {

std::vector<KeyFrameSlot> ChooseKeyFrames(float ratio, const CZoomKeyFrame* frame_2x,
                                          const CZoomKeyFrame* frame_4x) {
  if (frame_4x) {
    if (ratio > frame_4x->ratio()) {
      return {KeyFrameSlot::kFrameFull, KeyFrameSlot::kFrame4x};
    }
    if (frame_2x && ratio > frame_2x->ratio()) {
      return {KeyFrameSlot::kFrame4x};
    }
    return {KeyFrameSlot::kFrame2x};
  }
  if (frame_2x) {
    if (ratio > frame_2x->ratio()) {
      return {KeyFrameSlot::kFrameFull, KeyFrameSlot::kFrame2x};
    }
    return {KeyFrameSlot::kFrame2x};
  }
  return {KeyFrameSlot::kFrameFull};
}

std::vector<RECT> DrawingBands(HDC dc) {
  BITMAP target_bitmap = {};
  if (!GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof(target_bitmap), &target_bitmap)) {
    return {};
  }
  const RECT whole = {0, 0, target_bitmap.bmWidth, target_bitmap.bmHeight};
  CRgn clip(CreateRectRgn(0, 0, 0, 0));
  if (GetClipRgn(dc, clip) != 1) {
    return {whole};
  }
  const DWORD size = GetRegionData(clip, 0, nullptr);
  std::vector<BYTE> storage(size);
  auto* data = reinterpret_cast<RGNDATA*>(storage.data());
  if (size < sizeof(RGNDATAHEADER) || GetRegionData(clip, size, data) != size) {
    return {whole};
  }
  const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
  std::vector<RECT> bands;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    RECT band;
    if (IntersectRect(&band, &rects[i], &whole)) {
      bands.push_back(band);
    }
  }
  return bands;
}

CPreRenderKeyFrame::CPreRenderKeyFrame(CViewRender& view)
    : view_(view),
      fit_width_(view.fit_size().cx),
      fit_height_(view.fit_size().cy),
      view_hwnd_(view.hwnd()) {
  fit_frame_.ratio = view.fit_ratio();
  CreateMessageWindow(nullptr);
  PrepareFitFrame();
}

CPreRenderKeyFrame::~CPreRenderKeyFrame() {
  // No result may reach a renderer that is half gone.
  DestroyMessageWindow();
}

bool CPreRenderKeyFrame::IsLarge() const {
  return IsLargePicture(view_.image_width(), view_.image_height());
}

void CPreRenderKeyFrame::ResumePreload() {
  if (view_.preload()) {
    view_.preload()->Resume();
  }
  // The picture is shown: Direct2D can get ready for the first zoom.
  CD2DFactory::WarmUpInBackground(CAppConfig::GetInstance()->hardware_zoom);
}

void CPreRenderKeyFrame::PrepareFitFrame() {
  if (!IsLarge()) {
    HBITMAP bitmap = nullptr;
    if (const CWICImageLoaderPtr loader = view_.document().GetLoader()) {
      loader->RenderToBitmap(static_cast<UINT>(fit_width_), static_cast<UINT>(fit_height_), bitmap);
    }
    fit_frame_.SetBitmap(bitmap);
    fit_final_ = true;
    if (!bitmap) {
      ReportFitFailure();
    }
    ResumePreload();
    return;
  }
  IPreloadCache* preload = view_.preload();
  HBITMAP preview = nullptr;
  const bool full_quality =
      preload && preload->GetCachedFitBitmap(fit_width_, fit_height_, preview);
  fit_frame_.SetBitmap(preview);
  if (full_quality && preview) {
    fit_final_ = true;
    ResumePreload();
    return;
  }
  if (preload && preload->WatchPreload(hwnd)) {
    return;  // UM_SYSTEM_CACHE_READY follows
  }
  SubmitFitTask(false);
}

void CPreRenderKeyFrame::SubmitFitTask(bool second_pass) {
  IViewDocument& document = view_.document();
  CAsyncCreateFitView::Request request;
  request.loader = document.GetLoader();
  request.path = document.GetPath();
  request.target = hwnd;
  request.width = fit_width_;
  request.height = fit_height_;
  request.second_pass = second_pass;
  request.use_display_bitmap = document.UseDisplayBitmap();
  request.display = CDisplayOptions::Current();
  if (request.loader) {
    request.transform = request.loader->GetTransform();
    if (!request.display.colour_managed) {
      request.colour_context = request.loader->colour_context();
    }
  }
  document.GetQueue().Submit(std::make_shared<CAsyncCreateFitView>(std::move(request)));
}

void CPreRenderKeyFrame::SetFitBitmap(HBITMAP bitmap) {
  if (!bitmap) {
    return;
  }
  const bool first = fit_frame_.hbitmap() == nullptr;
  fit_frame_.SetBitmap(bitmap);
  if (first && view_hwnd_) {
    PostMessageW(view_hwnd_, UM_FIT_BITMAP_ARRIVED, 0, 0);
  }
}

void CPreRenderKeyFrame::ReportFitFailure() {
  if (view_hwnd_) {
    PostMessageW(view_hwnd_, UM_FIT_BITMAP_ARRIVED, kFitBitmapFailed, 0);
  }
}

void CPreRenderKeyFrame::OnFitViewReady(CAsyncCreateFitView* task) {
  SetFitBitmap(task->TakeBitmap());
  if (task->needs_second_pass()) {
    SubmitFitTask(true);
  } else {
    fit_final_ = true;
    // A preview may have been shown; only a view left with nothing fails.
    if (!fit_frame_.hbitmap()) {
      ReportFitFailure();
    }
  }
  ResumePreload();
  view_.Refresh();
}

void CPreRenderKeyFrame::OnSystemCacheReady() {
  if (fit_final_) {
    return;
  }
  IPreloadCache* preload = view_.preload();
  HBITMAP bitmap = nullptr;
  const bool full_quality = preload && preload->GetCachedFitBitmap(fit_width_, fit_height_, bitmap);
  SetFitBitmap(bitmap);
  if (full_quality && bitmap) {
    fit_final_ = true;
  } else {
    SubmitFitTask(true);
  }
  ResumePreload();
  view_.Refresh();
}

HBITMAP CPreRenderKeyFrame::GetFitBitmap(bool final_only) {
  if (final_only && !fit_final_) {
    return nullptr;
  }
  return fit_frame_.hbitmap();
}

void CPreRenderKeyFrame::Draw(HDC dc, int left, int top, int right, int bottom) {
  last_drawn_ratio_ = 0.0f;
  drawn_quality_ = 0;
  const float ratio = view_.ratio();
  if (ratio <= fit_frame_.ratio) {
    if (fit_frame_.hbitmap()) {
      StretchBitmapHalftone(dc, fit_frame_.hbitmap(), left, top, right - left, bottom - top);
      last_drawn_ratio_ = fit_frame_.ratio;
      drawn_quality_ = fit_final_ ? 2 : 1;
    }
    return;
  }
  if (!zoom_requested_) {
    zoom_requested_ = true;
    RequestKeyFrames();
  }
  if (render_target_) {
    DrawKeyFrames(dc, ratio, left, top, right, bottom);
  }
  if (last_drawn_ratio_ > 0.0f) {
    // A frame of at least the zoom's resolution (or the whole picture) is sharp.
    drawn_quality_ = last_drawn_ratio_ >= std::min(ratio, 1.0f) ? 2 : 1;
  }
}

void CPreRenderKeyFrame::DrawKeyFrames(HDC dc, float ratio, int left, int top, int right,
                                       int bottom) {
  const std::vector<KeyFrameSlot> candidates =
      ChooseKeyFrames(ratio, frame_2x_.get(), frame_4x_.get());
  auto frame_of = [this](KeyFrameSlot slot) -> CZoomKeyFrame* {
    switch (slot) {
      case KeyFrameSlot::kFrame2x:
        return frame_2x_.get();
      case KeyFrameSlot::kFrame4x:
        return frame_4x_.get();
      default:
        return frame_full_.get();
    }
  };
  CZoomKeyFrame* first = frame_of(candidates.front());
  if (candidates.front() == KeyFrameSlot::kFrameFull && first && !first->d2d_bitmap() &&
      first->gdiplus_bitmap()) {
    if (first->DrawGdiplus(dc, left, top, right, bottom)) {
      last_drawn_ratio_ = first->ratio();
    }
    return;
  }

  // Direct2D does not start from the DC's contents: the canvas is laid again.
  const CAppConfig* config = CAppConfig::GetInstance();
  const COLORREF canvas = config->canvas_back_color;
  const D2D1_COLOR_F canvas_colour = {GetRValue(canvas) / 255.0f, GetGValue(canvas) / 255.0f,
                                      GetBValue(canvas) / 255.0f, 1.0f};
  for (const RECT& band : DrawingBands(dc)) {
    if (FAILED(render_target_->BindDC(dc, &band))) {
      return;
    }
    render_target_->BeginDraw();
    const D2D1_MATRIX_3X2_F to_band = {
        1.0f, 0.0f, 0.0f, 1.0f, static_cast<float>(-band.left), static_cast<float>(-band.top)};
    render_target_->SetTransform(&to_band);
    render_target_->Clear(&canvas_colour);
    bool drawn = false;
    for (KeyFrameSlot slot : candidates) {
      CZoomKeyFrame* frame = frame_of(slot);
      if (frame && frame->Draw(render_target_.Get(), left, top, right, bottom)) {
        last_drawn_ratio_ = frame->ratio();
        drawn = true;
        break;
      }
    }
    if (!drawn && fit_frame_.Draw(render_target_.Get(), left, top, right, bottom)) {
      last_drawn_ratio_ = fit_frame_.ratio;
    }
    if (render_target_->EndDraw(nullptr, nullptr) == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) {
      ResetZoomState();
      return;
    }
  }
}

void CPreRenderKeyFrame::RequestKeyFrames() {
  const CAppConfig* config = CAppConfig::GetInstance();
  render_target_ = CreateZoomRenderTarget(config->hardware_zoom);
  if (!render_target_) {
    return;
  }
  auto task = std::make_shared<CAsyncCreateZoomContext>(
      view_.document().GetLoader(), hwnd, fit_frame_.ratio, view_.image_width(),
      view_.image_height(), ComPtr<ID2D1RenderTarget>(render_target_.Get()),
      CDisplayOptions::Current());
  if (IsLarge()) {
    view_.document().GetQueue().Submit(task);
  } else {
    task->Run();
    TakeKeyFrames(*task);
  }
}

void CPreRenderKeyFrame::TakeKeyFrames(const CAsyncCreateZoomContext& task) {
  frame_2x_ = task.frame_2x;
  frame_4x_ = task.frame_4x;
  frame_full_ = task.frame_full;
}

void CPreRenderKeyFrame::ResetZoomState() {
  CreateMessageWindow(nullptr);
  zoom_requested_ = false;
  fit_frame_.ReleaseD2DBitmap();
  render_target_.Reset();
  frame_2x_.reset();
  frame_4x_.reset();
  frame_full_.reset();
  // A fit bitmap on its way went to the old window.
  if (!fit_final_) {
    SubmitFitTask(false);
  }
}

LRESULT CPreRenderKeyFrame::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case UM_FIT_VIEW_READY:
      if (auto* task = reinterpret_cast<CAsyncCreateFitView*>(wparam)) {
        OnFitViewReady(task);
      }
      return 0;
    case UM_SYSTEM_CACHE_READY:
      OnSystemCacheReady();
      return 0;
    case UM_ZOOM_CONTEXT_READY:
      if (auto* task = reinterpret_cast<const CAsyncCreateZoomContext*>(wparam)) {
        TakeKeyFrames(*task);
        view_.Refresh();
      }
      return 0;
    default:
      return FCMessageWindow::HandleMessage(message, wparam, lparam);
  }
}

}  // namespace view_render
