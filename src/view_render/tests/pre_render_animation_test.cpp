#include "view_render/pre_render_animation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "view_render/pre_render_key_frame.h"
#include "support/view.h"
#include "view_render/view_render.h"

namespace view_render {
namespace {

using test_support::CConfigGuard;
using test_support::CHostWindow;
using test_support::CTestDocument;
using test_support::FixturePath;
using test_support::Near;
using test_support::PixelAt;
using test_support::PumpUntil;

class AnimationTest : public ::testing::Test {
 protected:
  void SetUp() override { config_.SetCanvas(RGB(39, 39, 39)); }

  // Opens a fixture in a 100 x 100 view and waits for its frames.
  std::unique_ptr<CViewRender> OpenAnimation(CTestDocument& document, size_t frame_count) {
    auto view = CViewRender::Create(document, nullptr, host_.hwnd, 100, 100, nullptr);
    CPreRenderAnimation* animation = AnimationOf(*view);
    if (!animation) {
      return view;
    }
    EXPECT_TRUE(PumpUntil([&] { return animation->frames().size() == frame_count; }))
        << "frames decoded: " << animation->frames().size();
    return view;
  }

  static CPreRenderAnimation* AnimationOf(const CViewRender& view) {
    auto* animation = dynamic_cast<CPreRenderAnimation*>(view.renderer());
    EXPECT_NE(nullptr, animation) << "not played as an animation";
    return animation;
  }

  // Sends one animation tick and returns the interval the timer then has.
  static UINT Tick(CPreRenderAnimation& animation) {
    SendMessageW(animation.hwnd, WM_TIMER, kAnimationTimerId, 0);
    return animation.timer_interval();
  }

  static std::vector<int32_t> Delays(const CPreRenderAnimation& animation) {
    std::vector<int32_t> delays;
    for (const CAnimationFrame& frame : animation.frames()) {
      delays.push_back(frame.delay_ms);
    }
    return delays;
  }

  CConfigGuard config_;
  CHostWindow host_;
};

TEST_F(AnimationTest, FirstFrameShowsAtOnceThenAllFramesPlay) {
  CTestDocument document(FixturePath(L"anim_delay0.gif"));
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 100, 100, nullptr);
  CPreRenderAnimation* animation = AnimationOf(*view);
  ASSERT_NE(nullptr, animation);
  ASSERT_EQ(1u, animation->frames().size());
  EXPECT_EQ(0, animation->frames().front().delay_ms);
  EXPECT_NE(nullptr, view->GetFitBitmap(true)) << "the frame on screen, final or not";
  EXPECT_EQ(0u, animation->timer_interval()) << "no timer before the frames are decoded";
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 50, 50)));

  ASSERT_TRUE(PumpUntil([&] { return animation->frames().size() == 3; }));
  EXPECT_EQ(std::vector<int32_t>({100, 100, 100}), Delays(*animation)) << "0 plays at 100 ms";
  EXPECT_EQ(100u, animation->timer_interval());

  // The real timer moves the frames on.
  ASSERT_TRUE(PumpUntil([&] { return Near(0x00FF00, PixelAt(*view->buffer(), 50, 50)); }));
  ASSERT_TRUE(PumpUntil([&] { return Near(0x0000FF, PixelAt(*view->buffer(), 50, 50)); }));
  ASSERT_TRUE(PumpUntil([&] { return Near(0xFF0000, PixelAt(*view->buffer(), 50, 50)); }));
  EXPECT_EQ(100u, animation->timer_interval());
}

TEST_F(AnimationTest, EqualShortDelaysKeepTheTenMillisecondStart) {
  CTestDocument document(FixturePath(L"anim_delay2.gif"));
  auto view = OpenAnimation(document, 3);
  CPreRenderAnimation* animation = AnimationOf(*view);
  ASSERT_NE(nullptr, animation);
  EXPECT_EQ(std::vector<int32_t>({20, 20, 20}), Delays(*animation));
  EXPECT_EQ(10u, animation->timer_interval());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(10u, Tick(*animation));
  }
}

TEST_F(AnimationTest, AlternatingDelaysStartFastThenFollowEachFrame) {
  CTestDocument document(FixturePath(L"anim_alternating.gif"));
  auto view = OpenAnimation(document, 4);
  CPreRenderAnimation* animation = AnimationOf(*view);
  ASSERT_NE(nullptr, animation);
  EXPECT_EQ(std::vector<int32_t>({20, 50, 20, 50}), Delays(*animation));
  EXPECT_EQ(10u, animation->timer_interval()) << "the first frame";
  EXPECT_EQ(50u, Tick(*animation));
  EXPECT_TRUE(Near(0x00FF00, PixelAt(*view->buffer(), 50, 50)));
  EXPECT_EQ(20u, Tick(*animation));
  EXPECT_TRUE(Near(0x0000FF, PixelAt(*view->buffer(), 50, 50)));
  EXPECT_EQ(50u, Tick(*animation));
  EXPECT_EQ(20u, Tick(*animation));
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 50, 50))) << "round again";
}

TEST_F(AnimationTest, TransparentPixelsShowTheCanvasColour) {
  config_.SetCanvas(RGB(0, 200, 100));
  CTestDocument document(FixturePath(L"anim_transparent.gif"));
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 16, 16, nullptr);
  CPreRenderAnimation* animation = AnimationOf(*view);
  ASSERT_NE(nullptr, animation);
  HDC buffer = *view->buffer();
  EXPECT_EQ(0x00C864u, PixelAt(buffer, 3, 8)) << "first frame, before decoding";
  EXPECT_TRUE(Near(0xFF0000, PixelAt(buffer, 12, 8)));

  ASSERT_TRUE(PumpUntil([&] { return animation->frames().size() == 2; }));
  Tick(*animation);
  EXPECT_EQ(0x00C864u, PixelAt(buffer, 3, 8)) << "decoded frame";
  EXPECT_TRUE(Near(0x0000FF, PixelAt(buffer, 12, 8)));
}

TEST_F(AnimationTest, ResizeStartsAgainAtTheFirstFrame) {
  CTestDocument document(FixturePath(L"anim_alternating.gif"));
  auto view = OpenAnimation(document, 4);
  CPreRenderAnimation* animation = AnimationOf(*view);
  ASSERT_NE(nullptr, animation);
  Tick(*animation);
  view->Resize(80, 80);
  animation = AnimationOf(*view);
  ASSERT_NE(nullptr, animation);
  EXPECT_EQ(1u, animation->frames().size());
  EXPECT_TRUE(Near(0xFF0000, PixelAt(*view->buffer(), 40, 40)));
  ASSERT_TRUE(PumpUntil([&] { return animation->frames().size() == 4; }));
}

TEST_F(AnimationTest, StillGifIsNotAnimated) {
  CTestDocument document(FixturePath(L"still.gif"));
  auto view = CViewRender::Create(document, nullptr, host_.hwnd, 100, 100, nullptr);
  EXPECT_NE(nullptr, dynamic_cast<CPreRenderKeyFrame*>(view->renderer()));
}

TEST_F(AnimationTest, DecodingAStillPictureYieldsNoFrames) {
  CAsyncLoadAnimation still(host_.hwnd, FixturePath(L"still.gif"), RGB(39, 39, 39));
  still.Run();
  EXPECT_TRUE(still.frames().empty());
  CAsyncLoadAnimation missing(host_.hwnd, FixturePath(L"no_such_file.gif"), RGB(39, 39, 39));
  missing.Run();
  EXPECT_TRUE(missing.frames().empty());
  CAsyncLoadAnimation orphan(nullptr, FixturePath(L"anim_delay0.gif"), RGB(39, 39, 39));
  orphan.Run();
  EXPECT_TRUE(orphan.frames().empty()) << "no target window: the result is dropped early";
}

}  // namespace
}  // namespace view_render
