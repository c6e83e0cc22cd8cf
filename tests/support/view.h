#pragma once

#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "framework/com_ptr.h"
#include "image/wic_factory.h"
#include "support/imaging.h"
#include "support/message_pump.h"
#include "support/test_window.h"
#include "support/view_document.h"
#include "view_render/preload_cache.h"
#include "view_render/view_messages.h"
#include "widgets/ui_event.h"

namespace test_support {

// COM, GDI+ and the imaging factory, once for the whole test program.
inline const auto* const g_imaging_environment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

// An in-memory 32bppBGRA picture; pixel (x, y) gets colour(x, y) as 0xAARRGGBB.
template <class Colour>
ComPtr<IWICBitmap> MakePicture(UINT width, UINT height, Colour colour) {
  ComPtr<IWICBitmap> bitmap;
  if (FAILED(CWICFactory::Get()->CreateBitmap(width, height, GUID_WICPixelFormat32bppBGRA,
                                              WICBitmapCacheOnLoad, bitmap.Receive()))) {
    ADD_FAILURE() << "cannot create a " << width << " x " << height << " picture";
    return nullptr;
  }
  const WICRect all = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
  ComPtr<IWICBitmapLock> lock;
  UINT stride = 0;
  UINT size = 0;
  BYTE* memory = nullptr;
  if (FAILED(bitmap->Lock(&all, WICBitmapLockWrite, lock.Receive())) ||
      FAILED(lock->GetStride(&stride)) || FAILED(lock->GetDataPointer(&size, &memory))) {
    ADD_FAILURE() << "cannot lock the picture";
    return nullptr;
  }
  for (UINT y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(memory + static_cast<size_t>(y) * stride);
    for (UINT x = 0; x < width; ++x) {
      row[x] = colour(x, y);
    }
  }
  return bitmap;
}

inline ComPtr<IWICBitmap> MakeSolidPicture(UINT width, UINT height, uint32_t argb) {
  return MakePicture(width, height, [argb](UINT, UINT) { return argb; });
}

// The picture view's stand-in: a real window that counts what the view
// model sends it.
class CHostWindow {
 public:
  CHostWindow() {
    hwnd = CreateTestWindow(L"LumoraViewTestHost", Proc, WS_POPUP, 400, 300);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~CHostWindow() { DestroyWindow(hwnd); }
  CHostWindow(const CHostWindow&) = delete;
  CHostWindow& operator=(const CHostWindow&) = delete;

  HWND hwnd = nullptr;
  int fit_arrived = 0;
  int fit_failed = 0;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<CHostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == view_render::UM_FIT_BITMAP_ARRIVED) {
      ++(wparam == view_render::kFitBitmapFailed ? self->fit_failed : self->fit_arrived);
      return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }
};

// Every zoom event broadcast while it lives.
class CZoomEvents : public CUIEventObserver {
 public:
  void OnUIEvent(const CUIEventParam& event) override {
    if (event.TypeId() == CUIEventViewZoomChanged::Type()) {
      const auto& zoom = static_cast<const CUIEventViewZoomChanged&>(event);
      ratios.push_back(zoom.ratio);
      fit_ratios.push_back(zoom.fit_ratio);
    }
  }
  std::vector<float> ratios;
  std::vector<float> fit_ratios;
};

// The settings the view reads, put back after each test.
class CConfigGuard {
 public:
  CConfigGuard() : config_(CAppConfig::GetInstance()), saved_(Snapshot(config_)) {}
  ~CConfigGuard() {
    config_->max_zoom_ratio = saved_.max_zoom_ratio;
    config_->double_click_action = saved_.double_click_action;
    config_->long_image_mode = saved_.long_image_mode;
    config_->toolbar_dock = saved_.toolbar_dock;
    config_->view_margin = saved_.view_margin;
    config_->hardware_zoom = saved_.hardware_zoom;
    config_->current_effect = saved_.current_effect;
    SetCanvas(saved_.canvas_back_color);
  }
  CConfigGuard(const CConfigGuard&) = delete;
  CConfigGuard& operator=(const CConfigGuard&) = delete;

  CAppConfig* operator->() const { return config_; }

  // As the settings dialog does: the colour and its brush together.
  void SetCanvas(COLORREF colour) {
    config_->canvas_back_color = colour;
    if (config_->canvas_brush) {
      DeleteObject(config_->canvas_brush);
    }
    config_->canvas_brush = CreateSolidBrush(colour);
  }

 private:
  struct Saved {
    int32_t max_zoom_ratio;
    int32_t double_click_action;
    int32_t long_image_mode;
    int32_t toolbar_dock;
    int32_t view_margin;
    int32_t hardware_zoom;
    int32_t current_effect;
    COLORREF canvas_back_color;
  };
  static Saved Snapshot(const CAppConfig* c) {
    return {c->max_zoom_ratio, c->double_click_action, c->long_image_mode, c->toolbar_dock,
            c->view_margin,    c->hardware_zoom,       c->current_effect,  c->canvas_back_color};
  }

  CAppConfig* config_;
  Saved saved_;
};

// The colour at (x, y) of the bitmap selected in dc, as 0xRRGGBB.
inline uint32_t PixelAt(HDC dc, int x, int y) {
  const COLORREF c = GetPixel(dc, x, y);
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

// Whether two colours differ by at most tolerance in every channel.
inline bool Near(uint32_t a, uint32_t b, int tolerance = 3) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    if (ca - cb > tolerance || cb - ca > tolerance) {
      return false;
    }
  }
  return true;
}

inline std::wstring FixturePath(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetEnvironmentVariableW(L"LUMORA_VIEW_FIXTURES", folder, MAX_PATH);
  return std::wstring(folder) + L"\\" + name;
}

}  // namespace test_support
