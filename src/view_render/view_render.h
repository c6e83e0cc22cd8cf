#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "view_render/buffered_view.h"
#include "view_render/pre_render.h"
#include "view_render/preload_cache.h"
#include "view_render/view_document.h"
#include "view_render/view_geometry.h"

namespace view_render {

// The view area inside the view window's client rectangle: all of it, or,
// when the toolbar floats, less view_margin on the left, right and bottom.
RECT ViewAreaOf(const RECT& client);

// The model of what the picture view shows: the current picture's size, the
// zoom ratio, where the zoomed picture sits and which part is visible. It
// owns the back buffer and the content renderer, and answers the view
// window's requests. One exists per shown picture; the view window builds a
// new one whenever the picture changes. User-interface thread only.
class CViewRender {
 public:
  ~CViewRender();
  CViewRender(const CViewRender&) = delete;
  CViewRender& operator=(const CViewRender&) = delete;

  // Fits the document's picture into a view area of view_width x
  // view_height of window. loading (may be null) is set when there is no fit
  // bitmap to show yet. preload may be null (no neighbour cache). Both must
  // outlive the view model.
  static std::unique_ptr<CViewRender> Create(IViewDocument& document, IPreloadCache* preload,
                                             HWND window, int32_t view_width, int32_t view_height,
                                             bool* loading);

  // Re-fits to a new view size: zoom back to fit, scroll to the origin.
  void Resize(int32_t view_width, int32_t view_height);
  // Sets the ratio, keeping the picture point under the anchor in place;
  // false when the zoomed size did not change (nothing redrawn). The caller
  // invalidates the window.
  bool ZoomTo(float ratio, int32_t anchor_x, int32_t anchor_y);
  // Double-click: fit <-> the toggle ratio.
  bool ZoomToggle(int32_t anchor_x, int32_t anchor_y);
  // Wheel and keys: each step is 10 % of the current ratio, bounded below by
  // 0.05 (or the fit ratio when that is smaller) and above by max_zoom_ratio.
  bool ZoomStep(int32_t steps, int32_t anchor_x, int32_t anchor_y);
  // Fit <-> 1.0 about the centre of the view.
  bool ToggleActualSize();
  // Moves the visible part by a mouse movement; false when nothing moved.
  // Only the newly exposed strips of the buffer are rendered.
  bool Pan(int32_t dx, int32_t dy);

  // Canvas colour plus the picture at the current zoom and scroll, into the
  // back buffer.
  void RenderToBuffer();
  // RenderToBuffer, then repaint the window at once. Renderers call it when
  // a better bitmap has arrived.
  void Refresh();
  // Copies the buffer to dc at (0, 0); while the window is sized
  // interactively (live), stretches the fit bitmap into the fit rectangle of
  // a width x height view instead. The caller has moved the viewport origin
  // to the view area.
  void Paint(HDC dc, int32_t width, int32_t height, bool live);

  // The renderer's fit bitmap (owned by the renderer); the view hands the
  // final one to the document before a rotation.
  HBITMAP GetFitBitmap(bool final_only) const;
  // The renderer gave up: no fit bitmap will come.
  bool FitFailed() const { return renderer_ && renderer_->FitFailed(); }

  HWND hwnd() const { return hwnd_; }
  int32_t image_width() const { return image_width_; }
  int32_t image_height() const { return image_height_; }
  float ratio() const { return ratio_; }
  float ratio_x() const { return ratio_x_; }
  float ratio_y() const { return ratio_y_; }
  float fit_ratio() const { return fit_ratio_; }
  float toggle_ratio() const { return toggle_ratio_; }
  const CViewGeometry& geometry() const { return *geometry_; }
  int32_t image_left() const { return geometry_->image_left(); }
  int32_t image_top() const { return geometry_->image_top(); }
  // The size of the picture at the fit ratio.
  SIZE fit_size() const { return fit_size_; }
  CBufferedView* buffer() const { return buffer_.get(); }
  CPreRender* renderer() const { return renderer_.get(); }
  IViewDocument& document() const { return document_; }
  IPreloadCache* preload() const { return preload_; }

 private:
  CViewRender(IViewDocument& document, IPreloadCache* preload, HWND window);

  // Sets the ratio and the effective ratios; returns the zoomed size.
  SIZE SetRatio(float ratio);
  void ReportZoomToTitle(float ratio) const;
  void PaintLive(HDC dc, int32_t width, int32_t height);

  IViewDocument& document_;
  IPreloadCache* preload_;
  HWND hwnd_;
  int32_t image_width_ = 1;
  int32_t image_height_ = 1;
  float ratio_ = 1.0f;
  float ratio_x_ = 1.0f;
  float ratio_y_ = 1.0f;
  std::unique_ptr<CBufferedView> buffer_;
  std::unique_ptr<CViewGeometry> geometry_;
  float fit_ratio_ = 1.0f;
  float toggle_ratio_ = 1.0f;
  SIZE fit_size_ = {1, 1};
  std::unique_ptr<CPreRender> renderer_;
};

}  // namespace view_render
