#include "view_render/async_create_fit_view.h"

#include <algorithm>
#include <utility>

#include "image/image_format.h"
#include "image/thumbnail_request.h"
#include "basic_lib/windows_version.h"
#include "view_render/view_messages.h"

namespace view_render {

CAsyncCreateFitView::CAsyncCreateFitView(Request request) : request_(std::move(request)) {}

CAsyncCreateFitView::~CAsyncCreateFitView() {
  if (hbitmap_) {
    DeleteObject(hbitmap_);
  }
}

int32_t CAsyncCreateFitView::LargePreviewLimit() {
  return CWindowsVersion::IsWindows10OrLater() ? 1280 : 1080;
}

void CAsyncCreateFitView::Run() {
  if (request_.width <= 0 || request_.height <= 0) {
    return;
  }
  if (!request_.use_display_bitmap && IsNativeEncodableClass(GetImageFormatClass(request_.path)) &&
      RenderFromThumbnailCache()) {
    return;
  }
  needs_second_pass_ = false;
  if (request_.loader) {
    request_.loader->RenderToBitmap(static_cast<UINT>(request_.width),
                                    static_cast<UINT>(request_.height), request_.display, hbitmap_);
  }
}

bool CAsyncCreateFitView::RenderFromThumbnailCache() {
  const UINT width = static_cast<UINT>(request_.width);
  const UINT height = static_cast<UINT>(request_.height);
  const int32_t larger_side = std::max(request_.width, request_.height);
  if (!request_.second_pass) {
    CThumbnailRequest large;
    if (RequestThumbnail(request_.path, 0, kThumbnailLarge, &large) &&
        RenderThumbnailToBitmap(large, width, height, hbitmap_, request_.transform,
                                request_.colour_context.Get(), request_.display)) {
      needs_second_pass_ = larger_side > LargePreviewLimit();
      return true;
    }
  }
  CThumbnailRequest scaled;
  if (RequestThumbnail(request_.path, static_cast<UINT>(larger_side), kThumbnailScaled, &scaled) &&
      RenderThumbnailToBitmap(scaled, width, height, hbitmap_, request_.transform,
                              request_.colour_context.Get(), request_.display) &&
      (scaled.quality & CThumbnailRequest::kLowQuality) == 0) {
    needs_second_pass_ = false;
    return true;
  }
  return false;
}

void CAsyncCreateFitView::OnComplete() {
  if (request_.target && IsWindow(request_.target)) {
    SendMessageW(request_.target, UM_FIT_VIEW_READY, reinterpret_cast<WPARAM>(this), 0);
  }
}

HBITMAP CAsyncCreateFitView::TakeBitmap() { return std::exchange(hbitmap_, nullptr); }

}  // namespace view_render
