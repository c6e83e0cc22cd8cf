#include "view_render/view_render.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "framework/gdi_objects.h"
#include "support/view.h"
#include "widgets/window_title.h"

namespace view_render {
namespace {

using test_support::CConfigGuard;
using test_support::CHostWindow;
using test_support::CTestDocument;
using test_support::CZoomEvents;
using test_support::MakePicture;
using test_support::MakeSolidPicture;
using test_support::Near;
using test_support::PixelAt;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kLime = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kYellow = 0xFFFFFF00;

// Four quadrants: red, lime / blue, yellow.
ComPtr<IWICBitmap> MakeQuadrants(UINT width, UINT height) {
  return MakePicture(width, height, [width, height](UINT x, UINT y) {
    if (y < height / 2) {
      return x < width / 2 ? kRed : kLime;
    }
    return x < width / 2 ? kBlue : kYellow;
  });
}

class ViewRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_->max_zoom_ratio = 8;
    config_->double_click_action = 0;
    config_->long_image_mode = 0;
    config_->hardware_zoom = 0;
    config_->current_effect = 0;
    config_.SetCanvas(RGB(39, 39, 39));
  }

  std::unique_ptr<CViewRender> Open(CTestDocument& document, int width, int height,
                                    bool* loading = nullptr) {
    return CViewRender::Create(document, nullptr, host_.hwnd, width, height, loading);
  }

  CConfigGuard config_;
  CHostWindow host_;
};

TEST_F(ViewRenderTest, LargePictureFitsTheViewAndSmallOneIsNotEnlarged) {
  struct Case {
    UINT image_w, image_h;
    float ratio;
    LONG zoomed_w, zoomed_h;
    int title_percent;
  };
  const Case cases[] = {
      {1000, 1200, 0.5f, 500, 600, 50},
      {1200, 900, 800.0f / 1200.0f, 800, 600, 66},
      {1200, 300, 800.0f / 1200.0f, 800, 200, 66},
      {200, 100, 1.0f, 200, 100, 100},
      {1, 1, 1.0f, 1, 1, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.image_w << "x" << c.image_h);
    CTestDocument document(MakeQuadrants(c.image_w, c.image_h).Get());
    bool loading = true;
    auto view = Open(document, 800, 600, &loading);
    EXPECT_FALSE(loading) << "a small picture is rendered at once";
    EXPECT_EQ(c.ratio, view->ratio());
    EXPECT_EQ(c.ratio, view->fit_ratio());
    EXPECT_EQ(c.zoomed_w, view->geometry().zoomed_width);
    EXPECT_EQ(c.zoomed_h, view->geometry().zoomed_height);
    EXPECT_EQ(2.0f * c.ratio, view->toggle_ratio());
    EXPECT_EQ(c.title_percent, CWindowTitle::GetInstance()->zoom_percent());
  }
}

TEST_F(ViewRenderTest, BufferShowsTheCanvasAroundThePictureInItsColours) {
  config_.SetCanvas(RGB(10, 200, 30));
  CTestDocument document(MakeQuadrants(200, 100).Get());
  auto view = Open(document, 800, 600);
  HDC buffer = *view->buffer();
  EXPECT_EQ(0x0AC81Eu, PixelAt(buffer, 5, 5)) << "margin";
  EXPECT_EQ(0x0AC81Eu, PixelAt(buffer, 799, 599)) << "margin";
  EXPECT_TRUE(Near(0xFF0000, PixelAt(buffer, 320, 270)));
  EXPECT_TRUE(Near(0x00FF00, PixelAt(buffer, 480, 270)));
  EXPECT_TRUE(Near(0x0000FF, PixelAt(buffer, 320, 330)));
  EXPECT_TRUE(Near(0xFFFF00, PixelAt(buffer, 480, 330)));

  // A paint is a copy of the buffer.
  HDC screen = GetDC(nullptr);
  CMemoryDC target(screen);
  CBitmap bitmap(CreateCompatibleBitmap(screen, 800, 600));
  ReleaseDC(nullptr, screen);
  CSelectObject select(target, bitmap);
  view->Paint(target, 800, 600, false);
  EXPECT_EQ(0x0AC81Eu, PixelAt(target, 5, 5));
  EXPECT_TRUE(Near(0xFFFF00, PixelAt(target, 480, 330)));
}

TEST_F(ViewRenderTest, DoubleClickTogglesBetweenFitAndTheChosenRatio) {
  CTestDocument document(MakeQuadrants(200, 100).Get());
  auto view = Open(document, 800, 600);
  EXPECT_TRUE(view->ZoomToggle(400, 300));
  EXPECT_EQ(2.0f, view->ratio());
  EXPECT_TRUE(view->ZoomToggle(400, 300));
  EXPECT_EQ(1.0f, view->ratio());

  config_->double_click_action = 1;
  auto origin = Open(document, 800, 600);
  EXPECT_EQ(1.0f, origin->toggle_ratio());
  EXPECT_FALSE(origin->ZoomToggle(400, 300)) << "fit is already actual size";
  EXPECT_EQ(1.0f, origin->ratio());
}

TEST_F(ViewRenderTest, ActualSizeTogglesAboutTheCentre) {
  CTestDocument document(MakeQuadrants(1200, 900).Get());
  auto view = Open(document, 600, 450);
  EXPECT_TRUE(view->ToggleActualSize());
  EXPECT_EQ(1.0f, view->ratio());
  // The picture's centre stays in the view's centre.
  EXPECT_EQ(300, view->geometry().source_rect.left);
  EXPECT_EQ(225, view->geometry().source_rect.top);
  EXPECT_TRUE(view->ToggleActualSize());
  EXPECT_EQ(0.5f, view->ratio());
}

TEST_F(ViewRenderTest, ZoomStepsAreTenPercentOfTheRatioWithinTheBounds) {
  CTestDocument document(MakeQuadrants(1000, 1000).Get());
  auto view = Open(document, 200, 200);  // fit 0.2
  CZoomEvents events;

  const float one_in = (1.0f + 0.1f) * 0.2f;
  EXPECT_TRUE(view->ZoomStep(1, 100, 100));
  EXPECT_EQ(one_in, view->ratio());
  EXPECT_TRUE(view->ZoomStep(-2, 100, 100));
  EXPECT_EQ(0.8f * one_in, view->ratio()) << "two steps are 0.8, not 0.81";
  EXPECT_FALSE(view->ZoomStep(0, 100, 100)) << "a wheel delta below 120";
  ASSERT_EQ(2u, events.ratios.size());
  EXPECT_EQ(one_in, events.ratios[0]);
  EXPECT_EQ(0.2f, events.fit_ratios[0]);

  for (int i = 0; i < 60; ++i) {
    view->ZoomStep(-1, 100, 100);
  }
  EXPECT_EQ(0.05f, view->ratio()) << "the floor";
  EXPECT_EQ(50, view->geometry().zoomed_width);
  EXPECT_EQ(5, CWindowTitle::GetInstance()->zoom_percent());

  for (int i = 0; i < 60; ++i) {
    view->ZoomStep(1, 100, 100);
  }
  EXPECT_EQ(8.0f, view->ratio()) << "max_zoom_ratio";
  EXPECT_EQ(8000, view->geometry().zoomed_width);
  EXPECT_EQ(800, CWindowTitle::GetInstance()->zoom_percent());

  config_->max_zoom_ratio = 4;
  view->ZoomTo(3.9f, 0, 0);
  EXPECT_TRUE(view->ZoomStep(1, 0, 0));
  EXPECT_EQ(4.0f, view->ratio()) << "a step that overshoots stops exactly at the bound";
}

TEST_F(ViewRenderTest, ZoomingOutStopsAtFitWhenFitIsBelowTheFloor) {
  CTestDocument document(MakeSolidPicture(5000, 10, kRed).Get());
  auto view = Open(document, 100, 100);
  EXPECT_EQ(0.02f, view->fit_ratio());
  EXPECT_FALSE(view->ZoomStep(-1, 50, 50));
  EXPECT_EQ(0.02f, view->ratio());
  EXPECT_TRUE(view->ZoomStep(5, 50, 50));
  EXPECT_TRUE(view->ZoomStep(-5, 50, 50));
  EXPECT_EQ(0.02f, view->ratio());
}

TEST_F(ViewRenderTest, SubPixelZoomStoresTheRatioButChangesNothingElse) {
  CTestDocument document(MakeQuadrants(100, 100).Get());
  auto view = Open(document, 800, 600);
  CZoomEvents events;
  HDC buffer = *view->buffer();
  SetPixel(buffer, 0, 0, RGB(1, 2, 3));  // a re-render would paint the canvas over it

  EXPECT_FALSE(view->ZoomTo(1.005f, 400, 300));
  EXPECT_EQ(1.005f, view->ratio());
  EXPECT_EQ(100, view->geometry().zoomed_width);
  EXPECT_TRUE(events.ratios.empty());
  EXPECT_EQ(0x010203u, PixelAt(buffer, 0, 0));
  EXPECT_EQ(100, CWindowTitle::GetInstance()->zoom_percent());

  EXPECT_TRUE(view->ZoomTo(1.02f, 400, 300));
  EXPECT_EQ(102, view->geometry().zoomed_width);
  EXPECT_EQ(1u, events.ratios.size());
  EXPECT_EQ(0x272727u, PixelAt(buffer, 0, 0));
}

TEST_F(ViewRenderTest, TinyRatiosKeepAOnePixelPicture) {
  CTestDocument document(MakeSolidPicture(1, 1, kBlue).Get());
  auto view = Open(document, 300, 200);
  view->ZoomTo(0.0001f, 150, 100);
  EXPECT_EQ(1, view->geometry().zoomed_width);
  EXPECT_EQ(1, view->geometry().zoomed_height);
  EXPECT_EQ(1.0f, view->ratio_x());
  EXPECT_TRUE(view->ZoomTo(8.0f, 150, 100));
  EXPECT_EQ(8, view->geometry().zoomed_width);
  EXPECT_TRUE(Near(0x0000FF, PixelAt(*view->buffer(), 150, 100)));
}

TEST_F(ViewRenderTest, ZoomKeepsThePointUnderTheAnchor) {
  CTestDocument document(MakeQuadrants(1200, 900).Get());
  auto view = Open(document, 600, 450);
  // View point (150, 100) is picture point (300, 200) at fit 0.5.
  EXPECT_TRUE(view->ZoomTo(1.0f, 150, 100));
  EXPECT_EQ(300 - 150, view->geometry().source_rect.left);
  EXPECT_EQ(200 - 100, view->geometry().source_rect.top);
  EXPECT_EQ(-150, view->image_left());
  EXPECT_EQ(-100, view->image_top());
  // The picture's centre (600, 450) is now at view point (450, 350).
  HDC buffer = *view->buffer();
  EXPECT_TRUE(Near(0xFF0000, PixelAt(buffer, 445, 345)));
  EXPECT_TRUE(Near(0x00FF00, PixelAt(buffer, 455, 345)));
  EXPECT_TRUE(Near(0x0000FF, PixelAt(buffer, 445, 355)));
  EXPECT_TRUE(Near(0xFFFF00, PixelAt(buffer, 455, 355)));
}

TEST_F(ViewRenderTest, PanIsClampedAndRendersTheSameAsAFullRender) {
  CTestDocument document(MakePicture(1200, 900, [](UINT x, UINT y) {
                           return 0xFF000000u | ((x * 255 / 1200) << 16) | ((y * 255 / 900) << 8) |
                                  ((x + y) & 0xFF);
                         }).Get());
  auto view = Open(document, 400, 300);
  ASSERT_TRUE(view->ZoomTo(1.0f, 200, 150));
  const RECT start = view->geometry().source_rect;

  EXPECT_TRUE(view->Pan(37, -21));
  EXPECT_EQ(start.left - 37, view->geometry().source_rect.left);
  EXPECT_EQ(start.top + 21, view->geometry().source_rect.top);

  // What the scrolled buffer holds must equal a render from scratch.
  HDC buffer = *view->buffer();
  std::vector<uint32_t> scrolled;
  for (int y = 0; y < 300; y += 7) {
    for (int x = 0; x < 400; x += 7) {
      scrolled.push_back(PixelAt(buffer, x, y));
    }
  }
  view->RenderToBuffer();
  size_t i = 0;
  for (int y = 0; y < 300; y += 7) {
    for (int x = 0; x < 400; x += 7, ++i) {
      ASSERT_TRUE(Near(scrolled[i], PixelAt(buffer, x, y), 2)) << x << "," << y;
    }
  }

  EXPECT_TRUE(view->Pan(100000, 100000));
  EXPECT_EQ(0, view->geometry().source_rect.left);
  EXPECT_EQ(0, view->geometry().source_rect.top);
  EXPECT_FALSE(view->Pan(5, 5)) << "at the top-left already";
  EXPECT_TRUE(view->Pan(-100000, -100000));
  EXPECT_EQ(800, view->geometry().source_rect.left);
  EXPECT_EQ(600, view->geometry().source_rect.top);
}

TEST_F(ViewRenderTest, PanScrollsTheBufferAndRendersOnlyTheExposedStrips) {
  CTestDocument document(MakeQuadrants(1200, 900).Get());
  auto view = Open(document, 400, 300);
  ASSERT_TRUE(view->ZoomTo(1.0f, 200, 150));
  HDC buffer = *view->buffer();
  // A mark no render would paint: it travels with the scrolled contents.
  SetPixel(buffer, 100, 100, RGB(1, 2, 3));
  ASSERT_TRUE(view->Pan(10, 5));
  EXPECT_EQ(0x010203u, PixelAt(buffer, 110, 105));
  EXPECT_NE(0x010203u, PixelAt(buffer, 100, 100));
  ASSERT_TRUE(view->Pan(-30, 0));
  EXPECT_EQ(0x010203u, PixelAt(buffer, 80, 105));
  // The clip region of the scroll is gone afterwards: a full render reaches everywhere.
  view->RenderToBuffer();
  EXPECT_NE(0x010203u, PixelAt(buffer, 80, 105));
}

TEST_F(ViewRenderTest, DraggingAFittingPictureMovesAndRedrawsNothing) {
  CTestDocument document(MakeQuadrants(200, 100).Get());
  auto view = Open(document, 800, 600);
  HDC buffer = *view->buffer();
  SetPixel(buffer, 0, 0, RGB(1, 2, 3));
  EXPECT_FALSE(view->Pan(50, -40));
  EXPECT_EQ(300, view->image_left());
  EXPECT_EQ(0x010203u, PixelAt(buffer, 0, 0));
}

TEST_F(ViewRenderTest, LongPictureOpensAtFullSizeFromItsTop) {
  CTestDocument document(
      MakePicture(300, 1201, [](UINT, UINT y) { return y < 100 ? kRed : kBlue; }).Get());
  ASSERT_TRUE(document.IsLongImage());
  auto fitted = Open(document, 800, 600);
  EXPECT_EQ(fitted->fit_ratio(), fitted->ratio()) << "long_image_mode off";

  config_->long_image_mode = 1;
  auto view = Open(document, 800, 600);
  EXPECT_EQ(1.0f, view->ratio());
  EXPECT_EQ(0, view->image_top());
  EXPECT_EQ(250, view->image_left()) << "centred across";
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 400, 50)));
  EXPECT_EQ(0x272727u, PixelAt(*view->buffer(), 100, 50));

  // Wider than the view: its left edge shows.
  CTestDocument wide(MakeSolidPicture(500, 2001, kRed).Get());
  auto wide_view = Open(wide, 400, 300);
  EXPECT_EQ(1.0f, wide_view->ratio());
  EXPECT_EQ(0, wide_view->image_left());
  EXPECT_EQ(0, wide_view->image_top());
}

TEST_F(ViewRenderTest, ResizeRefitsAndCancelsTheDocumentsWork) {
  CTestDocument document(MakeQuadrants(1200, 900).Get());
  auto view = Open(document, 600, 450);
  const int cancels = document.cancel_count;
  view->ZoomTo(2.0f, 10, 10);

  view->Resize(600, 450);
  EXPECT_EQ(2.0f, view->ratio()) << "the same size changes nothing";
  EXPECT_EQ(200, CWindowTitle::GetInstance()->zoom_percent());
  EXPECT_EQ(cancels, document.cancel_count);

  view->Resize(300, 450);
  EXPECT_EQ(0.25f, view->ratio());
  EXPECT_EQ(0, view->geometry().source_rect.left);
  EXPECT_EQ(300, view->buffer()->width());
  EXPECT_EQ(cancels + 1, document.cancel_count);
  EXPECT_EQ(25, CWindowTitle::GetInstance()->zoom_percent());
}

TEST_F(ViewRenderTest, LivePaintStretchesTheFitBitmapAndKeepsTheZoom) {
  CTestDocument document(MakeQuadrants(1200, 900).Get());
  auto view = Open(document, 600, 450);
  view->ZoomTo(1.5f, 0, 0);

  HDC screen = GetDC(nullptr);
  CMemoryDC target(screen);
  CBitmap bitmap(CreateCompatibleBitmap(screen, 400, 400));
  ReleaseDC(nullptr, screen);
  CSelectObject select(target, bitmap);
  const RECT all = {0, 0, 400, 400};
  FillRect(target, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  view->Paint(target, 400, 400, true);
  EXPECT_EQ(33, CWindowTitle::GetInstance()->zoom_percent()) << "the live fit";
  // 400 x 300 centred: rows 50 to 350.
  EXPECT_EQ(0xFFFFFFu, PixelAt(target, 200, 20));
  EXPECT_TRUE(Near(0xFF0000, PixelAt(target, 100, 100), 8));
  EXPECT_TRUE(Near(0xFFFF00, PixelAt(target, 300, 300), 8));
  EXPECT_EQ(1.5f, view->ratio());
}

TEST_F(ViewRenderTest, ViewAreaLosesTheMarginsOnlyWhenTheToolbarFloats) {
  const RECT client = {0, 0, 1000, 700};
  config_->toolbar_dock = 1;
  RECT area = ViewAreaOf(client);
  EXPECT_TRUE(EqualRect(&client, &area));

  config_->toolbar_dock = 0;
  config_->view_margin = 24;
  area = ViewAreaOf(client);
  const RECT expected = {24, 0, 976, 676};
  EXPECT_TRUE(EqualRect(&expected, &area));

  const RECT tiny = {0, 0, 30, 10};
  area = ViewAreaOf(tiny);
  EXPECT_GE(area.right, area.left);
  EXPECT_GE(area.bottom, area.top);
}

}  // namespace
}  // namespace view_render
