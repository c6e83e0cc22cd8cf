#include "view_render/d2d_support.h"

#include <d2d1_1.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "basic_lib/win_util.h"
#include "framework/auto_init_com.h"

namespace view_render {

namespace {

constexpr UINT kBandBytes = 4u << 20;
// Rows of more pixels would overflow a band's byte count.
constexpr UINT kMaxRowPixels = 1u << 28;

using D2D1CreateFactoryFunction = HRESULT(WINAPI*)(D2D1_FACTORY_TYPE, REFIID,
                                                   const D2D1_FACTORY_OPTIONS*, void**);

std::mutex g_factory_mutex;
ID2D1Factory* g_factory = nullptr;
bool g_factory_tried = false;
// Set once the warm-up has ended; null when none was started.
HANDLE g_warm_up_done = nullptr;
bool g_warm_up_hardware = false;

void CALLBACK WarmUp(PTP_CALLBACK_INSTANCE instance, void*) {
  {
    const FCAutoInitializeCOM com;
    CreateZoomRenderTarget(g_warm_up_hardware);
  }
  SetEventWhenCallbackReturns(instance, g_warm_up_done);
}

ComPtr<ID2D1DCRenderTarget> CreateTarget(ID2D1Factory* factory, D2D1_RENDER_TARGET_TYPE type) {
  D2D1_RENDER_TARGET_PROPERTIES properties = {};
  properties.type = type;
  properties.pixelFormat.format = DXGI_FORMAT_B8G8R8A8_UNORM;
  properties.pixelFormat.alphaMode = D2D1_ALPHA_MODE_PREMULTIPLIED;
  properties.usage = D2D1_RENDER_TARGET_USAGE_NONE;
  properties.minLevel = D2D1_FEATURE_LEVEL_DEFAULT;
  ComPtr<ID2D1DCRenderTarget> target;
  if (FAILED(factory->CreateDCRenderTarget(&properties, target.Receive()))) {
    target.Reset();
  }
  return target;
}

}  // namespace

ID2D1Factory* CD2DFactory::Get() {
  std::lock_guard<std::mutex> lock(g_factory_mutex);
  if (!g_factory_tried) {
    g_factory_tried = true;
    // Kept loaded for the rest of the process: the factory's code lives there.
    HMODULE module = LoadLibraryW(L"d2d1.dll");
    const auto create =
        win_util::GetProcAddressAs<D2D1CreateFactoryFunction>(module, "D2D1CreateFactory");
    D2D1_FACTORY_OPTIONS options = {};
    if (create && FAILED(create(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Factory), &options,
                                reinterpret_cast<void**>(&g_factory)))) {
      g_factory = nullptr;
    }
  }
  return g_factory;
}

void CD2DFactory::WarmUpInBackground(bool hardware_first) {
  {
    std::lock_guard<std::mutex> lock(g_factory_mutex);
    if (g_warm_up_done || g_factory_tried) {
      return;
    }
    g_warm_up_done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_warm_up_done) {
      return;
    }
  }
  g_warm_up_hardware = hardware_first;
  if (!TrySubmitThreadpoolCallback(WarmUp, nullptr, nullptr)) {
    SetEvent(g_warm_up_done);
  }
}

void CD2DFactory::Release() {
  if (g_warm_up_done) {
    WaitForSingleObject(g_warm_up_done, INFINITE);
    CloseHandle(g_warm_up_done);
    g_warm_up_done = nullptr;
  }
  std::lock_guard<std::mutex> lock(g_factory_mutex);
  if (g_factory) {
    g_factory->Release();
    g_factory = nullptr;
  }
}

ComPtr<ID2D1DCRenderTarget> CreateZoomRenderTarget(bool hardware_first) {
  ID2D1Factory* factory = CD2DFactory::Get();
  if (!factory) {
    return nullptr;
  }
  ComPtr<ID2D1DCRenderTarget> target;
  if (hardware_first) {
    target = CreateTarget(factory, D2D1_RENDER_TARGET_TYPE_DEFAULT);
  }
  if (!target) {
    target = CreateTarget(factory, D2D1_RENDER_TARGET_TYPE_SOFTWARE);
  }
  return target;
}

ComPtr<ID2D1Bitmap> CreateD2DBitmap(ID2D1RenderTarget* target, IWICBitmapSource* source) {
  ComPtr<IWICBitmapSource> shared(source);
  return CreateD2DBitmap(
      target, [shared] { return shared; }, false);
}

ComPtr<ID2D1Bitmap> CreateD2DBitmap(ID2D1RenderTarget* target,
                                    const std::function<ComPtr<IWICBitmapSource>()>& make_source,
                                    bool split) {
  const ComPtr<IWICBitmapSource> source = make_source();
  UINT width = 0;
  UINT height = 0;
  if (!target || !source || FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > kMaxRowPixels) {
    return nullptr;
  }
  D2D1_BITMAP_PROPERTIES properties = {};
  properties.pixelFormat.format = DXGI_FORMAT_B8G8R8A8_UNORM;
  properties.pixelFormat.alphaMode = D2D1_ALPHA_MODE_PREMULTIPLIED;
  ComPtr<ID2D1Bitmap> bitmap;
  if (FAILED(target->CreateBitmap(D2D1_SIZE_U{width, height}, nullptr, 0, &properties,
                                  bitmap.Receive()))) {
    return nullptr;
  }
  // The source is decoded, scaled and converted band by band here, outside
  // Direct2D: the factory's lock is held only while a band is copied in, so
  // the user-interface thread keeps drawing meanwhile.
  const UINT stride = width * 4;
  const UINT band_rows = std::max(1u, kBandBytes / stride);
  const UINT bands = (height + band_rows - 1) / band_rows;
  std::atomic<bool> failed{false};
  // Fills every step-th band from first on, through a pipeline of its own.
  auto fill_bands = [&](IWICBitmapSource* own_source, UINT first, UINT step) {
    ComPtr<IWICBitmapSource> premultiplied;
    if (!own_source || FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, own_source,
                                                     premultiplied.Receive()))) {
      failed = true;
      return;
    }
    std::vector<BYTE> band(static_cast<size_t>(stride) * std::min(band_rows, height));
    for (UINT index = first; index < bands && !failed; index += step) {
      const UINT top = index * band_rows;
      const UINT rows = std::min(band_rows, height - top);
      const WICRect rect = {0, static_cast<INT>(top), static_cast<INT>(width),
                            static_cast<INT>(rows)};
      const D2D1_RECT_U dest = {0, top, width, top + rows};
      if (FAILED(premultiplied->CopyPixels(&rect, stride, stride * rows, band.data())) ||
          FAILED(bitmap->CopyFromMemory(&dest, band.data(), stride))) {
        failed = true;
      }
    }
  };
  // Resampling and conversion are split across two cores where there are
  // two, each half through its own scaler over the same picture.
  if (split && bands > 1 && std::thread::hardware_concurrency() > 1) {
    std::thread helper([&] {
      const FCAutoInitializeCOM com;
      const ComPtr<IWICBitmapSource> own = make_source();
      fill_bands(own.Get(), 1, 2);
    });
    fill_bands(source.Get(), 0, 2);
    helper.join();
  } else {
    fill_bands(source.Get(), 0, 1);
  }
  return failed ? nullptr : bitmap;
}

bool DrawScaledBitmap(ID2D1RenderTarget* target, ID2D1Bitmap* bitmap, float left, float top,
                      float right, float bottom) {
  if (!target || !bitmap) {
    return false;
  }
  const D2D1_RECT_F dest = {left, top, right, bottom};
  if (UsesMultiSample(right - left, bitmap->GetPixelSize().width)) {
    ComPtr<ID2D1DeviceContext> context;
    target->QueryInterface(__uuidof(ID2D1DeviceContext),
                           reinterpret_cast<void**>(context.Receive()));
    if (context) {
      context->DrawBitmap(bitmap, &dest, 1.0f, D2D1_INTERPOLATION_MODE_MULTI_SAMPLE_LINEAR, nullptr,
                          nullptr);
      return true;
    }
  }
  target->DrawBitmap(bitmap, &dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_LINEAR, nullptr);
  return true;
}

}  // namespace view_render
