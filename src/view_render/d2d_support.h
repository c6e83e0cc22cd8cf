#pragma once

#include <windows.h>
#include <d2d1.h>
#include <wincodec.h>

#include <functional>

#include "framework/com_ptr.h"

namespace view_render {

// The process-wide Direct2D factory. It is multi-threaded because workers
// create bitmaps on the render targets the user-interface thread draws with.
// Direct2D is loaded at run time: a system without it (Vista before its
// platform update) still starts, and zooming beyond fit then draws nothing.
class CD2DFactory {
 public:
  // Created on first use; null where Direct2D is missing. No added reference.
  static ID2D1Factory* Get();
  // At exit, after the last render target is gone; waits for a warm-up
  // that is still running.
  static void Release();
  // Creates the factory and one render target on a pool thread, once per
  // process: the first of them loads and starts the graphics stack, which
  // takes long enough to be felt if the first zoom paid for it.
  static void WarmUpInBackground(bool hardware_first);
};

// A DC render target (B8G8R8A8, premultiplied alpha, default DPI). With
// hardware_first the default type is tried before the software one; else
// only the software type. Null when neither can be made.
ComPtr<ID2D1DCRenderTarget> CreateZoomRenderTarget(bool hardware_first);

// A Direct2D bitmap of source, converted to 32bppPBGRA, on target. Null on
// failure (for example, larger than the target allows).
ComPtr<ID2D1Bitmap> CreateD2DBitmap(ID2D1RenderTarget* target, IWICBitmapSource* source);
// The same from a pipeline make_source builds (for example a scaler over the
// picture). With split set, a second thread fills every other band through a
// pipeline it builds itself, so the resampling runs on two cores; the
// pipeline's sources must allow reading from two threads at once.
ComPtr<ID2D1Bitmap> CreateD2DBitmap(ID2D1RenderTarget* target,
                                    const std::function<ComPtr<IWICBitmapSource>()>& make_source,
                                    bool split);

// Draws the whole bitmap into the rectangle at opacity 1. Shrinking to less
// than half uses the multi-sample mode where the target offers it, else
// linear interpolation. False without a bitmap.
bool DrawScaledBitmap(ID2D1RenderTarget* target, ID2D1Bitmap* bitmap, float left, float top,
                      float right, float bottom);

// Whether the multi-sample mode is used to draw a bitmap of bitmap_width
// pixels into a rectangle that wide.
inline bool UsesMultiSample(float rect_width, UINT bitmap_width) {
  return bitmap_width > 0 && rect_width / static_cast<float>(bitmap_width) < 0.5f;
}

}  // namespace view_render
