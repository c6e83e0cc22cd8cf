#include "view_render/pre_render_key_frame.h"
#include <d2d1_1.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "framework/gdi_objects.h"
#include "image/wic_pipeline.h"
#include "view_render/d2d_support.h"
#include "support/view.h"
#include "view_render/view_render.h"
#include "view_render/zoom_key_frame.h"

namespace view_render {
namespace {

using test_support::CConfigGuard;
using test_support::CHostWindow;
using test_support::CTestDocument;
using test_support::MakePicture;
using test_support::MakeSolidPicture;
using test_support::Near;
using test_support::PixelAt;
using test_support::PumpUntil;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;

// A neighbour cache whose answers the test chooses.
class CTestPreload : public IPreloadCache {
 public:
  void Resume() override { ++resumed; }
  bool WatchPreload(HWND window) override {
    if (!preload_running) {
      return false;
    }
    watched = window;
    return true;
  }
  bool GetCachedFitBitmap(int width, int height, HBITMAP& out) override {
    ++asked;
    if (!colour) {
      return false;
    }
    ComPtr<IWICBitmap> picture =
        MakeSolidPicture(static_cast<UINT>(width), static_cast<UINT>(height), colour);
    CWICImageLoader loader(picture.Get(), nullptr);
    loader.RenderToBitmap(static_cast<UINT>(width), static_cast<UINT>(height), out);
    return full_quality;
  }

  uint32_t colour = 0;  // 0: nothing in the cache
  bool full_quality = false;
  bool preload_running = false;
  HWND watched = nullptr;
  int resumed = 0;
  int asked = 0;
};

// A picture whose header reads but whose pixels never decode, like a file
// cut short after a header that claims a huge size.
class CUndecodablePicture final : public IWICBitmapSource {
 public:
  CUndecodablePicture(UINT width, UINT height) : width_(width), height_(height) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IWICBitmapSource) {
      *out = static_cast<IWICBitmapSource*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&references_);
    if (left == 0) {
      delete this;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override {
    *width = width_;
    *height = height_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override {
    *format = GUID_WICPixelFormat32bppBGRA;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetResolution(double* x, double* y) override {
    *x = *y = 96.0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette*) override {
    return WINCODEC_ERR_PALETTEUNAVAILABLE;
  }
  HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect*, UINT, UINT, BYTE*) override {
    return WINCODEC_ERR_BADIMAGE;
  }

 private:
  LONG references_ = 1;
  UINT width_;
  UINT height_;
};

class KeyFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_->hardware_zoom = 0;
    config_->current_effect = 0;
    config_->max_zoom_ratio = 8;
    config_->long_image_mode = 0;
    config_.SetCanvas(RGB(39, 39, 39));
  }

  static CPreRenderKeyFrame& RendererOf(const CViewRender& view) {
    auto* renderer = dynamic_cast<CPreRenderKeyFrame*>(view.renderer());
    EXPECT_NE(nullptr, renderer);
    return *renderer;
  }

  static SIZE PixelSize(const std::shared_ptr<CZoomKeyFrame>& frame) {
    if (!frame || !frame->d2d_bitmap()) {
      return SIZE{0, 0};
    }
    const D2D1_SIZE_U size = frame->d2d_bitmap()->GetPixelSize();
    return SIZE{static_cast<LONG>(size.width), static_cast<LONG>(size.height)};
  }

  CConfigGuard config_;
  CHostWindow host_;
};

TEST_F(KeyFrameTest, FitOfPointSixGetsOnlyTheFullSizeFrame) {
  CTestDocument document(MakeSolidPicture(1000, 500, kRed).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 600, 300, nullptr);
  ASSERT_EQ(0.6f, view->fit_ratio());
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  EXPECT_FALSE(renderer.zoom_requested()) << "nothing before the first zoom beyond fit";

  ASSERT_TRUE(view->ZoomTo(0.8f, 300, 150));
  EXPECT_TRUE(renderer.zoom_requested());
  EXPECT_EQ(nullptr, renderer.frame_2x());
  EXPECT_EQ(nullptr, renderer.frame_4x());
  ASSERT_NE(nullptr, renderer.frame_full());
  EXPECT_EQ(1.0f, renderer.frame_full()->ratio());
  const SIZE full = PixelSize(renderer.frame_full());
  EXPECT_EQ(1000, full.cx);
  EXPECT_EQ(500, full.cy);
  EXPECT_EQ(1.0f, renderer.last_drawn_ratio());
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 300, 150)));

  view->ZoomTo(0.6f, 300, 150);
  EXPECT_EQ(0.6f, renderer.last_drawn_ratio()) << "at fit the fit frame draws";
}

TEST_F(KeyFrameTest, FitOfPointTwoGetsThreeFramesAndDrawsTheSmallestLargeEnough) {
  CTestDocument document(MakeSolidPicture(1000, 500, kRed).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 200, 100, nullptr);
  ASSERT_EQ(0.2f, view->fit_ratio());
  CPreRenderKeyFrame& renderer = RendererOf(*view);

  ASSERT_TRUE(view->ZoomTo(0.5f, 100, 50));
  ASSERT_NE(nullptr, renderer.frame_2x());
  ASSERT_NE(nullptr, renderer.frame_4x());
  ASSERT_NE(nullptr, renderer.frame_full());
  EXPECT_EQ(0.4f, renderer.frame_2x()->ratio());
  EXPECT_EQ(0.8f, renderer.frame_4x()->ratio());
  EXPECT_EQ(400, PixelSize(renderer.frame_2x()).cx);
  EXPECT_EQ(200, PixelSize(renderer.frame_2x()).cy);
  EXPECT_EQ(800, PixelSize(renderer.frame_4x()).cx);
  EXPECT_EQ(1000, PixelSize(renderer.frame_full()).cx);
  EXPECT_EQ(0.8f, renderer.last_drawn_ratio());

  struct Step {
    float ratio;
    float drawn;
  };
  for (const Step& step : {Step{0.9f, 1.0f}, Step{0.3f, 0.4f}, Step{0.4f, 0.4f}, Step{0.41f, 0.8f},
                           Step{3.0f, 1.0f}, Step{0.2f, 0.2f}}) {
    view->ZoomTo(step.ratio, 100, 50);
    EXPECT_EQ(step.drawn, renderer.last_drawn_ratio()) << "at " << step.ratio;
  }
}

TEST_F(KeyFrameTest, PictureOf1281By1281IsPreparedInTheBackground) {
  CTestDocument document(MakeSolidPicture(1281, 1281, kRed).Get());
  bool loading = false;
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 400, 300, &loading);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  EXPECT_TRUE(loading);
  EXPECT_FALSE(renderer.fit_final());
  EXPECT_EQ(nullptr, view->GetFitBitmap(false));
  EXPECT_TRUE(document.HasWork());
  EXPECT_EQ(0x272727u, PixelAt(*view->buffer(), 200, 150)) << "only the canvas meanwhile";

  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final() && host_.fit_arrived > 0; }));
  EXPECT_EQ(1, host_.fit_arrived);
  EXPECT_NE(nullptr, view->GetFitBitmap(true));
  BITMAP info = {};
  GetObjectW(view->GetFitBitmap(true), sizeof(info), &info);
  EXPECT_EQ(view->fit_size().cx, info.bmWidth);
  EXPECT_EQ(view->fit_size().cy, info.bmHeight);
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 200, 150))) << "refreshed";
  EXPECT_FALSE(view->FitFailed());
  EXPECT_EQ(0, host_.fit_failed);
}

TEST_F(KeyFrameTest, PictureOf1280By1281IsPreparedAtOnce) {
  CTestDocument document(MakeSolidPicture(1280, 1281, kRed).Get());
  CTestPreload preload;
  bool loading = true;
  auto view = CViewRender::Create(document, &preload, host_.hwnd, 400, 300, &loading);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  EXPECT_FALSE(loading);
  EXPECT_TRUE(renderer.fit_final());
  EXPECT_NE(nullptr, view->GetFitBitmap(true));
  EXPECT_FALSE(document.HasWork());
  EXPECT_EQ(0, preload.asked) << "small pictures never ask the thumbnail cache";
  EXPECT_GE(preload.resumed, 1);
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 200, 150)));

  // Zooming a small picture makes its key frames at once too.
  view->ZoomStep(3, 200, 150);
  EXPECT_NE(nullptr, renderer.frame_full());
  EXPECT_FALSE(document.HasWork());
}

TEST_F(KeyFrameTest, PixelsThatCannotBeDecodedEndTheLoadingWithAFailure) {
  const struct {
    UINT width;
    UINT height;
    const char* what;
  } cases[] = {
      {300, 200, "small: rendered at once"},
      {4000, 3000, "large: rendered in the background"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CHostWindow host;
    ComPtr<IWICBitmapSource> picture;
    picture.Attach(new CUndecodablePicture(c.width, c.height));
    CTestDocument document(picture.Get());
    bool loading = false;
    auto view = CViewRender::Create(document, nullptr, host.hwnd, 400, 300, &loading);
    EXPECT_TRUE(loading);
    ASSERT_TRUE(PumpUntil([&] { return host.fit_failed > 0; }));
    EXPECT_TRUE(view->FitFailed());
    EXPECT_EQ(nullptr, view->GetFitBitmap(false));
    EXPECT_EQ(0, host.fit_arrived);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(1, host.fit_failed) << "reported once";
    EXPECT_EQ(0x272727u, PixelAt(*view->buffer(), 200, 150)) << "the canvas only";
  }
}

TEST_F(KeyFrameTest, LargePictureShowsTheCachedPreviewUntilTheFinalBitmapArrives) {
  CTestDocument document(MakeSolidPicture(1400, 1200, kRed).Get());
  CTestPreload preload;
  preload.colour = kBlue;  // a low-quality preview
  bool loading = true;
  auto view = CViewRender::Create(document, &preload, host_.hwnd, 400, 300, &loading);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  EXPECT_FALSE(loading);
  EXPECT_FALSE(renderer.fit_final());
  EXPECT_EQ(nullptr, view->GetFitBitmap(true));
  EXPECT_EQ(0, preload.resumed) << "not before the fit bitmap is known";
  EXPECT_TRUE(Near(0x0000FF, PixelAt(*view->buffer(), 200, 150)));

  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final(); }));
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 200, 150)));
  EXPECT_GE(preload.resumed, 1);
  EXPECT_EQ(0, host_.fit_arrived) << "the preview was the first fit bitmap";
}

TEST_F(KeyFrameTest, FullQualityCachedBitmapNeedsNoDecoding) {
  CTestDocument document(MakeSolidPicture(1400, 1200, kRed).Get());
  CTestPreload preload;
  preload.colour = kBlue;
  preload.full_quality = true;
  auto view = CViewRender::Create(document, &preload, host_.hwnd, 400, 300, nullptr);
  EXPECT_TRUE(RendererOf(*view).fit_final());
  EXPECT_FALSE(document.HasWork());
  EXPECT_EQ(1, preload.resumed);
  EXPECT_TRUE(Near(0x0000FF, PixelAt(*view->buffer(), 200, 150)));
}

TEST_F(KeyFrameTest, RunningPreloadOfThePictureIsAwaitedInsteadOfDecoding) {
  CTestDocument document(MakeSolidPicture(1400, 1200, kRed).Get());
  CTestPreload preload;
  preload.preload_running = true;
  bool loading = false;
  auto view = CViewRender::Create(document, &preload, host_.hwnd, 400, 300, &loading);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  EXPECT_TRUE(loading);
  EXPECT_EQ(renderer.hwnd, preload.watched);
  EXPECT_FALSE(document.HasWork());

  // The preload finished and the cache now holds the picture.
  preload.colour = kBlue;
  preload.full_quality = true;
  SendMessageW(preload.watched, UM_SYSTEM_CACHE_READY, 0, 0);
  EXPECT_TRUE(renderer.fit_final());
  EXPECT_FALSE(document.HasWork());
  EXPECT_TRUE(Near(0x0000FF, PixelAt(*view->buffer(), 200, 150)));
  ASSERT_TRUE(PumpUntil([&] { return host_.fit_arrived > 0; }));
}

TEST_F(KeyFrameTest, AwaitedPreloadWithoutAFullBitmapFallsBackToDecoding) {
  CTestDocument document(MakeSolidPicture(1400, 1200, kRed).Get());
  CTestPreload preload;
  preload.preload_running = true;
  auto view = CViewRender::Create(document, &preload, host_.hwnd, 400, 300, nullptr);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  SendMessageW(preload.watched, UM_SYSTEM_CACHE_READY, 0, 0);
  EXPECT_FALSE(renderer.fit_final());
  EXPECT_TRUE(document.HasWork());
  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final(); }));
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 200, 150)));
}

TEST_F(KeyFrameTest, LargePictureZoomsFromTheFitBitmapUntilItsKeyFramesArrive) {
  CTestDocument document(MakeSolidPicture(1600, 1600, kRed).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 400, 400, nullptr);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final(); }));

  ASSERT_TRUE(view->ZoomTo(0.9f, 200, 200));  // fit 0.25: frames 0.5 and full
  EXPECT_EQ(0.25f, renderer.last_drawn_ratio()) << "the magnified fit bitmap first";
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 200, 200)));
  EXPECT_TRUE(document.HasWork());

  ASSERT_TRUE(PumpUntil([&] { return renderer.frame_full() != nullptr; }));
  EXPECT_EQ(0.5f, renderer.frame_2x()->ratio());
  EXPECT_EQ(nullptr, renderer.frame_4x()) << "4 x 0.25 is not below 1";
  EXPECT_EQ(1.0f, renderer.last_drawn_ratio()) << "refreshed from the full frame";
}

TEST_F(KeyFrameTest, EveryKeyFrameArrivesWhenTheDocumentWaitsForItsTasks) {
  // Copy, save, print and wallpaper wait for the document's tasks while the
  // key frames are being built; the queue's window is replaced meanwhile.
  CTestDocument document(MakeSolidPicture(1600, 1600, kRed).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 200, 200, nullptr);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final() && !document.HasWork(); }));
  ASSERT_EQ(0.125f, view->fit_ratio());

  ASSERT_TRUE(view->ZoomTo(0.9f, 100, 100));
  ASSERT_TRUE(document.HasWork());
  document.GetQueue().WaitAll();
  ASSERT_TRUE(PumpUntil([&] { return !document.HasWork(); }));

  ASSERT_NE(nullptr, renderer.frame_2x());
  ASSERT_NE(nullptr, renderer.frame_4x());
  ASSERT_NE(nullptr, renderer.frame_full());
  EXPECT_EQ(0.25f, renderer.frame_2x()->ratio());
  EXPECT_EQ(0.5f, renderer.frame_4x()->ratio());
  EXPECT_EQ(1600, PixelSize(renderer.frame_full()).cx);
  EXPECT_EQ(1.0f, renderer.last_drawn_ratio()) << "drawn from the full frame, not blurred";
}

// Holds the document's queue until released, so that the next task waits.
class CGateTask : public CAsyncTask {
 public:
  CGateTask() : open_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~CGateTask() override { CloseHandle(open_); }
  void Run() override { WaitForSingleObject(open_, 20000); }
  void Open() { SetEvent(open_); }

 private:
  HANDLE open_;
};

// The colour of a bitmap's pixel, as 0xRRGGBB.
uint32_t BitmapPixel(HBITMAP bitmap, int x, int y) {
  CMemoryDC dc(nullptr);
  CSelectObject select(dc, bitmap);
  return PixelAt(dc, x, y);
}

TEST_F(KeyFrameTest, ABackgroundRenderKeepsTheSettingsItWasRequestedWith) {
  config_.SetCanvas(RGB(200, 10, 90));
  // Left half transparent (the canvas shows), right half grey.
  CTestDocument document(MakePicture(1400, 1200, [](UINT x, UINT) {
                           return x < 700 ? 0x00000000u : 0xFF404040u;
                         }).Get());
  auto gate = std::make_shared<CGateTask>();
  document.GetQueue().Submit(gate);
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 350, 300, nullptr);
  CPreRenderKeyFrame& renderer = RendererOf(*view);

  // The user switches the enhancement on and picks another canvas colour
  // while the fit bitmap waits for its turn.
  config_->current_effect = 1;
  config_.SetCanvas(RGB(10, 200, 10));
  gate->Open();
  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final(); }));
  HBITMAP fit = view->GetFitBitmap(true);
  ASSERT_NE(nullptr, fit);
  EXPECT_EQ(0xC80A5Au, BitmapPixel(fit, 40, 150)) << "the canvas of the request";
  EXPECT_TRUE(Near(0x404040, BitmapPixel(fit, 300, 150))) << "not enhanced";

  // The key frames the first zoom asks for, likewise.
  config_->current_effect = 0;
  auto zoom_gate = std::make_shared<CGateTask>();
  document.GetQueue().Submit(zoom_gate);
  ASSERT_TRUE(view->ZoomTo(1.0f, 175, 150));
  config_->current_effect = 1;
  zoom_gate->Open();
  ASSERT_TRUE(PumpUntil([&] { return renderer.frame_full() != nullptr; }));
  EXPECT_EQ(1.0f, renderer.last_drawn_ratio());
  EXPECT_TRUE(Near(0x404040, PixelAt(*view->buffer(), 340, 150)))
      << std::hex << PixelAt(*view->buffer(), 340, 150);
}

TEST_F(KeyFrameTest, FullFrameTooLargeForDirect2DFallsBackToGdiplus) {
  ComPtr<ID2D1DCRenderTarget> probe = CreateZoomRenderTarget(false);
  ASSERT_TRUE(probe);
  const UINT too_wide = probe->GetMaximumBitmapSize() + 1;
  probe.Reset();
  CTestDocument document(MakePicture(too_wide, 20, [too_wide](UINT x, UINT) {
                           return x < too_wide / 2 ? kRed : kBlue;
                         }).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 400, 300, nullptr);
  CPreRenderKeyFrame& renderer = RendererOf(*view);

  // The view's centre is over the picture's middle column.
  ASSERT_TRUE(view->ZoomTo(1.0f, 200, 150));
  ASSERT_NE(nullptr, renderer.frame_full());
  EXPECT_EQ(nullptr, renderer.frame_full()->d2d_bitmap());
  EXPECT_NE(nullptr, renderer.frame_full()->gdiplus_bitmap());
  EXPECT_EQ(1.0f, renderer.last_drawn_ratio());
  // At full size the colours change at the picture's middle column.
  HDC buffer = *view->buffer();
  const int middle = view->image_left() + static_cast<int>(too_wide / 2);
  ASSERT_GT(middle, 5);
  ASSERT_LT(middle, 395);
  EXPECT_TRUE(Near(0xFF0000, PixelAt(buffer, middle - 3, view->image_top() + 10)));
  EXPECT_TRUE(Near(0x0000FF, PixelAt(buffer, middle + 3, view->image_top() + 10)));
}

TEST_F(KeyFrameTest, ZoomingWorksAgainAfterTheRenderTargetIsLost) {
  CTestDocument document(MakeSolidPicture(1000, 500, kRed).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 200, 100, nullptr);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  ASSERT_TRUE(view->ZoomTo(0.5f, 100, 50));
  const HWND old_window = renderer.hwnd;

  renderer.ResetZoomState();
  EXPECT_FALSE(renderer.zoom_requested());
  EXPECT_EQ(nullptr, renderer.render_target());
  EXPECT_EQ(nullptr, renderer.frame_full());
  EXPECT_EQ(nullptr, renderer.fit_frame().d2d_bitmap());
  EXPECT_NE(old_window, renderer.hwnd) << "late results for the old target are dropped";
  EXPECT_FALSE(IsWindow(old_window));

  ASSERT_TRUE(view->ZoomTo(0.7f, 100, 50));
  EXPECT_NE(nullptr, renderer.render_target());
  EXPECT_NE(nullptr, renderer.frame_4x());
  EXPECT_EQ(0.8f, renderer.last_drawn_ratio());
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 100, 50)));
}

TEST_F(KeyFrameTest, KeyFramesLeaveTheCanvasAroundThePicture) {
  config_.SetCanvas(RGB(200, 10, 90));
  CTestDocument document(MakeSolidPicture(300, 100, kBlue).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 200, 200, nullptr);
  ASSERT_TRUE(view->ZoomTo(1.0f, 100, 100));  // 300 x 100: margins above and below
  HDC buffer = *view->buffer();
  EXPECT_EQ(0xC80A5Au, PixelAt(buffer, 100, 10));
  EXPECT_EQ(0xC80A5Au, PixelAt(buffer, 100, 190));
  EXPECT_TRUE(Near(0x0000FF, PixelAt(buffer, 100, 100)));
}

TEST_F(KeyFrameTest, ResultsForAReplacedRendererAreDropped) {
  CTestDocument document(MakeSolidPicture(1400, 1200, kRed).Get());
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 400, 300, nullptr);
  view->Resize(300, 300);  // a new renderer; the first one's task was cancelled
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final() && !document.HasWork(); }));
  BITMAP info = {};
  GetObjectW(view->GetFitBitmap(true), sizeof(info), &info);
  EXPECT_EQ(300, info.bmWidth) << "the bitmap for the current size, not the old one";
}

// The colours of a 100 x 10 drawing made by draw on a render target bound
// to a memory bitmap.
template <class Draw>
std::vector<uint32_t> DrawnPixels(ID2D1DCRenderTarget* target, Draw draw) {
  HDC screen = GetDC(nullptr);
  CMemoryDC dc(screen);
  CBitmap pixels(CreateCompatibleBitmap(screen, 100, 10));
  ReleaseDC(nullptr, screen);
  CSelectObject select(dc, pixels);
  const RECT bind = {0, 0, 100, 10};
  std::vector<uint32_t> colours;
  if (FAILED(target->BindDC(dc, &bind))) {
    ADD_FAILURE() << "cannot bind the target";
    return colours;
  }
  target->BeginDraw();
  const D2D1_COLOR_F green = {0.0f, 1.0f, 0.0f, 1.0f};
  target->Clear(&green);
  draw();
  EXPECT_HRESULT_SUCCEEDED(target->EndDraw(nullptr, nullptr));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 100; ++x) {
      colours.push_back(PixelAt(dc, x, y));
    }
  }
  return colours;
}

TEST_F(KeyFrameTest, ShrinkingBelowHalfDrawsThroughTheDeviceContext) {
  ComPtr<ID2D1DCRenderTarget> target = CreateZoomRenderTarget(false);
  ASSERT_TRUE(target);
  // Above, groups of four columns (white, black, black, white): averaged
  // over a group, as the multi-sample mode does, one pixel is grey; a linear
  // sample at the group's middle sees black. Below, a red and a blue half.
  ComPtr<ID2D1Bitmap> bitmap =
      CreateD2DBitmap(target.Get(), MakePicture(400, 40, [](UINT x, UINT y) {
                                      if (y >= 20) {
                                        return x < 200 ? kRed : kBlue;
                                      }
                                      return (x % 4 == 1 || x % 4 == 2) ? 0xFF000000u : 0xFFFFFFFFu;
                                    }).Get());
  ASSERT_TRUE(bitmap);
  ASSERT_TRUE(UsesMultiSample(100.0f, 400));
  ComPtr<ID2D1DeviceContext> context;
  ASSERT_HRESULT_SUCCEEDED(target->QueryInterface(__uuidof(ID2D1DeviceContext),
                                                  reinterpret_cast<void**>(context.Receive())));

  const std::vector<uint32_t> drawn = DrawnPixels(target.Get(), [&] {
    EXPECT_TRUE(DrawScaledBitmap(target.Get(), bitmap.Get(), 0.0f, 0.0f, 100.0f, 10.0f));
  });
  const D2D1_RECT_F all = {0.0f, 0.0f, 100.0f, 10.0f};
  const std::vector<uint32_t> multi_sample = DrawnPixels(target.Get(), [&] {
    context->DrawBitmap(bitmap.Get(), &all, 1.0f, D2D1_INTERPOLATION_MODE_MULTI_SAMPLE_LINEAR,
                        nullptr, nullptr);
  });
  ASSERT_EQ(1000u, drawn.size());
  // The whole picture fills the rectangle, its halves where they belong.
  EXPECT_TRUE(Near(0xFF0000, drawn[8 * 100 + 20])) << std::hex << drawn[8 * 100 + 20];
  EXPECT_TRUE(Near(0x0000FF, drawn[8 * 100 + 80])) << std::hex << drawn[8 * 100 + 80];
  EXPECT_TRUE(Near(0xFF0000, drawn[9 * 100 + 0])) << "no canvas left at the edge";
  EXPECT_TRUE(Near(0x0000FF, drawn[9 * 100 + 99]));
  // Pixel for pixel what the platform's multi-sample mode draws (where the
  // platform averages, the stripes show grey: Wine's Direct2D samples them).
  EXPECT_EQ(multi_sample, drawn);
}

// The pixels of bitmap from (left, top), 100 x 10 of them, drawn one to one.
std::vector<uint32_t> BitmapWindow(ID2D1DCRenderTarget* target, ID2D1Bitmap* bitmap, float left,
                                   float top) {
  return DrawnPixels(target, [&] {
    const D2D1_RECT_F dest = {0.0f, 0.0f, 100.0f, 10.0f};
    const D2D1_RECT_F source = {left, top, left + 100.0f, top + 10.0f};
    target->DrawBitmap(bitmap, &dest, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR,
                       &source);
  });
}

// Key frames are filled on two cores, every other band each: every row must
// still land where it belongs, at the borders between bands too.
TEST_F(KeyFrameTest, KeyFramesBuiltOnTwoCoresHoldEveryRowInPlace) {
  ComPtr<ID2D1DCRenderTarget> target = CreateZoomRenderTarget(false);
  ASSERT_TRUE(target);
  // Each row in a colour of its own: 1200 pixels wide makes bands of 873 rows.
  ComPtr<IWICBitmap> picture = MakePicture(1200, 3000, [](UINT x, UINT y) {
    return 0xFF000000u | ((y & 0xFF) << 16) | (((y >> 8) & 0xFF) << 8) | (x & 0xFF);
  });
  std::shared_ptr<CZoomKeyFrame> full = CZoomKeyFrame::MakeFullSize(target.Get(), picture.Get());
  ASSERT_TRUE(full && full->d2d_bitmap());
  for (UINT top : {0u, 868u, 1741u, 2614u, 2990u}) {
    const std::vector<uint32_t> drawn =
        BitmapWindow(target.Get(), full->d2d_bitmap(), 50.0f, static_cast<float>(top));
    ASSERT_EQ(1000u, drawn.size());
    for (UINT y = 0; y < 10; ++y) {
      const UINT row = top + y;
      const uint32_t expected = ((row & 0xFF) << 16) | (((row >> 8) & 0xFF) << 8) | 50u;
      EXPECT_EQ(expected, drawn[y * 100] & 0xFFFFFF) << "row " << row;
    }
  }

  // A resampled frame: the same as one filled on a single core.
  std::shared_ptr<CZoomKeyFrame> half =
      CZoomKeyFrame::Make(target.Get(), picture.Get(), 1200, 3000, 0.5f);
  ASSERT_TRUE(half && half->d2d_bitmap());
  ComPtr<IWICBitmapSource> scaled =
      wic_pipeline::Scale(picture.Get(), 600, 1500, WICBitmapInterpolationModeFant);
  ComPtr<ID2D1Bitmap> single = CreateD2DBitmap(target.Get(), scaled.Get());
  ASSERT_TRUE(single);
  for (float top : {0.0f, 430.0f, 1740.0f / 2, 1490.0f}) {
    EXPECT_EQ(BitmapWindow(target.Get(), half->d2d_bitmap(), 0.0f, top),
              BitmapWindow(target.Get(), single.Get(), 0.0f, top))
        << "rows from " << top;
  }
}

TEST_F(KeyFrameTest, LargeJpegFileIsDecodedInTheBackgroundWhereNoThumbnailCacheAnswers) {
  CTestDocument document(test_support::FixturePath(L"large_quadrants.jpg"));
  ASSERT_NE(nullptr, document.GetLoader());
  bool loading = false;
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 350, 300, &loading);
  CPreRenderKeyFrame& renderer = RendererOf(*view);
  EXPECT_TRUE(loading);
  ASSERT_TRUE(PumpUntil([&] { return renderer.fit_final(); }));
  // 1400 x 1200 at 0.25: 350 x 300, quadrants of 175 x 150.
  HDC buffer = *view->buffer();
  EXPECT_TRUE(Near(0xFF0000, PixelAt(buffer, 80, 70), 12));
  EXPECT_TRUE(Near(0x00FF00, PixelAt(buffer, 260, 70), 12));
  EXPECT_TRUE(Near(0x0000FF, PixelAt(buffer, 80, 230), 12));
  EXPECT_TRUE(Near(0xFFFF00, PixelAt(buffer, 260, 230), 12));
}

TEST_F(KeyFrameTest, DisplayEnhancementOfKeyFramesLeavesTheDocumentsPixelsAlone) {
  // A picture decoded by a fallback: the loader hands out its own bitmap.
  ComPtr<IWICBitmap> picture = MakeSolidPicture(400, 200, 0xFF404040);
  CTestDocument document(picture.Get());
  config_->current_effect = 1;  // brighter
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 100, 50, nullptr);
  ASSERT_TRUE(view->ZoomTo(1.0f, 50, 25));
  ASSERT_NE(nullptr, RendererOf(*view).frame_full());
  const uint32_t shown = PixelAt(*view->buffer(), 50, 25);
  EXPECT_GT(shown & 0xFF, 0x40u) << "the key frame is enhanced";

  const test_support::Pixels pixels = test_support::ReadPixels(picture.Get());
  ASSERT_EQ(400u, pixels.width);
  EXPECT_EQ(0x40, pixels.At(10, 10)[0]) << "the document's picture is not";
  EXPECT_EQ(0x40, pixels.At(10, 10)[2]);
}

}  // namespace
}  // namespace view_render
