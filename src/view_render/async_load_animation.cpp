#include "view_render/async_load_animation.h"

#include <gdiplus.h>

#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "framework/gdi_objects.h"
#include "view_render/view_messages.h"

namespace view_render {

namespace {

constexpr PROPID kFrameDelayTag = 0x5100;  // PropertyTagFrameDelay
constexpr int32_t kZeroDelayMs = 100;

// The frame delays of the file, in hundredths of a second; empty when the
// file has none.
std::vector<uint32_t> ReadFrameDelays(Gdiplus::Bitmap& bitmap) {
  const UINT size = bitmap.GetPropertyItemSize(kFrameDelayTag);
  if (size < sizeof(Gdiplus::PropertyItem)) {
    return {};
  }
  std::vector<BYTE> storage(size);
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(storage.data());
  if (bitmap.GetPropertyItem(kFrameDelayTag, size, item) != Gdiplus::Ok || !item->value ||
      item->length > size - sizeof(Gdiplus::PropertyItem)) {
    return {};
  }
  std::vector<uint32_t> delays(item->length / sizeof(uint32_t));
  const auto* values = static_cast<const BYTE*>(item->value);
  for (size_t i = 0; i < delays.size(); ++i) {
    delays[i] = static_cast<uint32_t>(values[i * 4]) |
                static_cast<uint32_t>(values[i * 4 + 1]) << 8 |
                static_cast<uint32_t>(values[i * 4 + 2]) << 16 |
                static_cast<uint32_t>(values[i * 4 + 3]) << 24;
  }
  return delays;
}

}  // namespace

CAsyncLoadAnimation::CAsyncLoadAnimation(HWND target, std::wstring path, COLORREF canvas)
    : target_(target), path_(std::move(path)), canvas_(canvas) {}

int32_t CAsyncLoadAnimation::DelayFromGif(uint32_t hundredths) {
  if (hundredths == 0) {
    return kZeroDelayMs;
  }
  const uint32_t limit = static_cast<uint32_t>(std::numeric_limits<int32_t>::max() / 10);
  return static_cast<int32_t>(hundredths > limit ? limit : hundredths) * 10;
}

void CAsyncLoadAnimation::Run() {
  Gdiplus::Bitmap bitmap(path_.c_str());
  if (bitmap.GetLastStatus() != Gdiplus::Ok) {
    return;
  }
  GUID time_dimension = Gdiplus::FrameDimensionTime;
  const UINT frame_count = bitmap.GetFrameCount(&time_dimension);
  if (frame_count < 2) {
    return;
  }
  const std::vector<uint32_t> delays = ReadFrameDelays(bitmap);
  if (delays.size() != frame_count) {
    return;
  }
  // A brush of this task's own: the settings' brush belongs to the
  // user-interface thread, which replaces it when the colour changes.
  CBrush canvas;
  canvas.CreateSolidBrush(canvas_);

  CAnimationFrames frames;
  for (UINT index = 0; index < frame_count; ++index) {
    if (bitmap.SelectActiveFrame(&time_dimension, index) != Gdiplus::Ok) {
      return;
    }
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    auto image = std::make_shared<FCObjImage>();
    if (!image->Allocate(width, -height, 24)) {
      return;
    }
    {
      CMemoryBitmapDC dc(image->GetHBITMAP(), canvas.get());
      Gdiplus::Graphics graphics(dc);
      graphics.DrawImage(&bitmap, 0, 0, width, height);
    }
    frames.push_back(CAnimationFrame{std::move(image), DelayFromGif(delays[index])});
    if (!IsWindow(target_)) {
      return;  // the view is gone; nobody takes the frames
    }
  }
  frames_ = std::move(frames);
}

void CAsyncLoadAnimation::OnComplete() {
  if (target_ && IsWindow(target_)) {
    SendMessageW(target_, UM_ANIMATION_LOADED, reinterpret_cast<WPARAM>(this), 0);
  }
}

}  // namespace view_render
