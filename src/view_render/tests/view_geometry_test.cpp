#include "view_render/view_geometry.h"

#include <gtest/gtest.h>

#include <vector>

#include "view_render/async_load_animation.h"
#include "view_render/d2d_support.h"
#include "view_render/pre_render_animation.h"
#include "view_render/pre_render_key_frame.h"

namespace view_render {
namespace {

TEST(ViewGeometry, FitRatioNeverEnlargesAndTakesTheTighterAxis) {
  struct Case {
    int view_w, view_h, image_w, image_h;
    float fit;
  };
  const Case cases[] = {
      {800, 600, 400, 300, 1.0f},    // smaller than the view: not enlarged
      {800, 600, 800, 600, 1.0f},    // exactly the view
      {800, 600, 1600, 1200, 0.5f},  // both axes alike
      {800, 600, 1600, 600, 0.5f},   // width binds
      {800, 600, 100, 6000, 0.1f},   // height binds
      {100, 100, 3000, 3000, 100.0f / 3000.0f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.fit, FitRatio(c.view_w, c.view_h, c.image_w, c.image_h))
        << c.image_w << "x" << c.image_h << " in " << c.view_w << "x" << c.view_h;
  }
}

TEST(ViewGeometry, ZoomedSizeIsTruncatedAndNeverBelowOnePixel) {
  struct Case {
    int image_w, image_h;
    float ratio;
    LONG width, height;
  };
  const Case cases[] = {
      {1, 1, 0.01f, 1, 1},
      {1, 1, 8.0f, 8, 8},
      {1000, 500, 0.0001f, 1, 1},
      {1000, 500, 0.6f, 600, 300},
      {999, 333, 0.5f, 499, 166},                // truncation, not rounding
      {2400, 1800, 800.0f / 2400.0f, 800, 600},  // a third, rounded up in float
      {16385, 20, 200.0f / 16385.0f, 200, 1},
  };
  for (const Case& c : cases) {
    const SIZE size = ZoomedSize(c.image_w, c.image_h, c.ratio);
    EXPECT_EQ(c.width, size.cx) << c.image_w << " at " << c.ratio;
    EXPECT_EQ(c.height, size.cy) << c.image_h << " at " << c.ratio;
  }
}

TEST(ViewGeometry, ZoomedPictureIsCentredAndCutToTheView) {
  struct Case {
    int zoomed_w, zoomed_h;
    RECT dest;
    int overflow_x, overflow_y;
    RECT source;
    int image_left, image_top;
  };
  const Case cases[] = {
      {400, 300, {200, 150, 600, 450}, 0, 0, {0, 0, 400, 300}, 200, 150},
      {401, 301, {199, 149, 600, 450}, 0, 0, {0, 0, 401, 301}, 199, 149},
      {1000, 300, {0, 150, 800, 450}, 200, 0, {0, 0, 800, 300}, 0, 150},
      {1001, 903, {0, 0, 800, 600}, 201, 303, {0, 0, 800, 600}, 0, 0},
      {1, 1, {399, 299, 400, 300}, 0, 0, {0, 0, 1, 1}, 399, 299},
  };
  for (const Case& c : cases) {
    CViewGeometry geometry(800, 600);
    geometry.SetZoomedSize(c.zoomed_w, c.zoomed_h);
    SCOPED_TRACE(testing::Message() << c.zoomed_w << "x" << c.zoomed_h);
    EXPECT_TRUE(EqualRect(&c.dest, &geometry.dest_rect));
    EXPECT_EQ(c.overflow_x, geometry.overflow_x);
    EXPECT_EQ(c.overflow_y, geometry.overflow_y);
    EXPECT_TRUE(EqualRect(&c.source, &geometry.source_rect));
    EXPECT_EQ(c.image_left, geometry.image_left());
    EXPECT_EQ(c.image_top, geometry.image_top());
  }
}

TEST(ViewGeometry, ScrollKeepsTheTargetUnderTheAnchorWithinThePicture) {
  struct Case {
    float target_x;
    int anchor_x;
    LONG left;
  };
  const Case cases[] = {
      {150.0f, 50, 100}, {100.5f, 0, 101},  // rounded to the nearest pixel
      {1000.0f, 0, 200},                    // clamped to the overflow
      {-5.0f, 0, 0},     {1.0e12f, 0, 200},
  };
  for (const Case& c : cases) {
    CViewGeometry geometry(800, 600);
    geometry.SetZoomedSize(1000, 300);
    geometry.ScrollTo(c.target_x, 123.0f, c.anchor_x, 7);
    EXPECT_EQ(c.left, geometry.source_rect.left) << c.target_x;
    EXPECT_EQ(c.left + 800, geometry.source_rect.right);
    // The height fits: that axis never scrolls.
    EXPECT_EQ(0, geometry.source_rect.top);
    EXPECT_EQ(300, geometry.source_rect.bottom);
    EXPECT_EQ(-c.left, geometry.image_left());
  }
}

TEST(ViewGeometry, PanIsClampedToThePictureAndReportsWhetherItMoved) {
  CViewGeometry geometry(800, 600);
  geometry.SetZoomedSize(1000, 700);  // overflow 200 x 100

  EXPECT_FALSE(geometry.Pan(10, 10)) << "already at the top-left";
  EXPECT_TRUE(geometry.Pan(-50, -30));
  EXPECT_EQ(50, geometry.source_rect.left);
  EXPECT_EQ(30, geometry.source_rect.top);
  EXPECT_TRUE(geometry.Pan(-10000, 0));
  EXPECT_EQ(200, geometry.source_rect.left);
  EXPECT_EQ(1000, geometry.source_rect.right);
  EXPECT_EQ(30, geometry.source_rect.top);
  EXPECT_TRUE(geometry.Pan(0, -10000));
  EXPECT_EQ(100, geometry.source_rect.top);
  EXPECT_FALSE(geometry.Pan(-1, -1)) << "already at the bottom-right";
  EXPECT_TRUE(geometry.Pan(10000, 10000));
  EXPECT_EQ(0, geometry.source_rect.left);
  EXPECT_EQ(0, geometry.source_rect.top);

  CViewGeometry fitting(800, 600);
  fitting.SetZoomedSize(400, 300);
  EXPECT_FALSE(fitting.Pan(37, -12));
  EXPECT_EQ(0, fitting.source_rect.left);
  EXPECT_EQ(200, fitting.image_left());
}

TEST(KeyFrameChoice, SmallestFrameAtLeastTheRatioFirst) {
  const CZoomKeyFrame frame_2x(0.4f, nullptr, nullptr);
  const CZoomKeyFrame frame_4x(0.8f, nullptr, nullptr);
  using S = KeyFrameSlot;
  struct Case {
    float ratio;
    const CZoomKeyFrame* two;
    const CZoomKeyFrame* four;
    std::vector<S> expected;
  };
  const Case cases[] = {
      {0.3f, &frame_2x, &frame_4x, {S::kFrame2x}},
      {0.4f, &frame_2x, &frame_4x, {S::kFrame2x}},
      {0.5f, &frame_2x, &frame_4x, {S::kFrame4x}},
      {0.8f, &frame_2x, &frame_4x, {S::kFrame4x}},
      {0.9f, &frame_2x, &frame_4x, {S::kFrameFull, S::kFrame4x}},
      {3.0f, &frame_2x, &frame_4x, {S::kFrameFull, S::kFrame4x}},
      {0.3f, &frame_2x, nullptr, {S::kFrame2x}},
      {0.5f, &frame_2x, nullptr, {S::kFrameFull, S::kFrame2x}},
      {0.7f, nullptr, nullptr, {S::kFrameFull}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseKeyFrames(c.ratio, c.two, c.four)) << c.ratio;
  }
}

TEST(KeyFrameChoice, LargePicturesStartAt1281By1281Pixels) {
  EXPECT_TRUE(IsLargePicture(1281, 1281));
  EXPECT_FALSE(IsLargePicture(1280, 1281));
  EXPECT_TRUE(IsLargePicture(1640961, 1));
  EXPECT_FALSE(IsLargePicture(1640960, 1));
  EXPECT_TRUE(IsLargePicture(100000, 100000)) << "no overflow";
}

TEST(KeyFrameChoice, MultiSampleOnlyWhenShrinkingBelowHalf) {
  EXPECT_TRUE(UsesMultiSample(49.0f, 100));
  EXPECT_FALSE(UsesMultiSample(50.0f, 100));
  EXPECT_FALSE(UsesMultiSample(300.0f, 100));
  EXPECT_FALSE(UsesMultiSample(10.0f, 0));
}

TEST(AnimationDelays, GifDelaysBecomeMillisecondsAndShortOnesStartFast) {
  EXPECT_EQ(100, CAsyncLoadAnimation::DelayFromGif(0));
  EXPECT_EQ(20, CAsyncLoadAnimation::DelayFromGif(2));
  EXPECT_EQ(500, CAsyncLoadAnimation::DelayFromGif(50));
  EXPECT_GT(CAsyncLoadAnimation::DelayFromGif(0xFFFFFFFFu), 0) << "no overflow";

  EXPECT_EQ(10u, CPreRenderAnimation::FirstInterval(20));
  EXPECT_EQ(10u, CPreRenderAnimation::FirstInterval(30));
  EXPECT_EQ(40u, CPreRenderAnimation::FirstInterval(40));
  EXPECT_EQ(100u, CPreRenderAnimation::FirstInterval(100));
}

}  // namespace
}  // namespace view_render
