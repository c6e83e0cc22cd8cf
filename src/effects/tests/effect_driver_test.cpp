#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "effects/effect_fill_current_alpha.h"
#include "effects/effect_mirror.h"
#include "effects/effect_progress.h"
#include "effects/image_effect.h"
#include "image/obj_image.h"

namespace {

// Records what the driver does with it; marks every visited pixel.
class RecordingEffect : public FCImageEffect {
 public:
  explicit RecordingEffect(int mode = kProcessPerPixel) : mode_(mode) {}
  int GetProcessMode() const override { return mode_; }
  void BeginProcess(FCObjImage&) override { ++begin_calls; }
  void ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) override {
    if (pixel != image.PixelPointer(x, y)) {
      ++wrong_addresses;
    }
    pixel[0] = 0xEE;
    ++pixel_calls;
  }
  void ApplyToImage(FCObjImage&, FCProgressObserver* observer) override {
    ++image_calls;
    image_observer = observer;
  }

  int begin_calls = 0;
  int pixel_calls = 0;
  int image_calls = 0;
  int wrong_addresses = 0;
  FCProgressObserver* image_observer = nullptr;

 private:
  int mode_;
};

// Answers from a script: false from the given call on.
class ScriptedObserver : public FCProgressObserver {
 public:
  explicit ScriptedObserver(int refuse_from_call) : refuse_from_call_(refuse_from_call) {}
  bool OnProgress(int percent) override {
    reported.push_back(percent);
    return static_cast<int>(reported.size()) <= refuse_from_call_;
  }
  std::vector<int> reported;

 private:
  int refuse_from_call_;
};

int RowsTouched(const FCObjImage& image) {
  int rows = 0;
  for (int y = 0; y < image.Height(); ++y) {
    rows += image.RowPointer(y)[0] == 0xEE ? 1 : 0;
  }
  return rows;
}

FCObjImage MakeImage(int width, int height, int bpp) {
  FCObjImage image;
  EXPECT_TRUE(image.Allocate(width, height, bpp));
  return image;
}

TEST(RunEffect, VisitsEveryPixelAtItsAddressAndReportsEachRow) {
  for (int bpp : {24, 32}) {
    FCObjImage image = MakeImage(5, 3, bpp);
    RecordingEffect effect;
    ScriptedObserver observer(100);
    RunEffect(effect, image, &observer);
    EXPECT_EQ(effect.begin_calls, 1);
    EXPECT_EQ(effect.pixel_calls, 15);
    EXPECT_EQ(effect.wrong_addresses, 0);
    EXPECT_EQ(observer.reported, (std::vector<int>{0, 33, 66, 100}));
    EXPECT_FALSE(observer.IsStopped());
  }
}

TEST(RunEffect, StopRequests) {
  const struct {
    int refuse_from_call;  // 1 = the start report already refuses
    int rows_processed;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 3}};
  for (const auto& c : cases) {
    FCObjImage image = MakeImage(4, 6, 24);
    RecordingEffect effect;
    ScriptedObserver observer(c.refuse_from_call);
    RunEffect(effect, image, &observer);
    EXPECT_EQ(RowsTouched(image), c.rows_processed) << c.refuse_from_call;
    EXPECT_TRUE(observer.IsStopped());
  }
}

TEST(RunEffect, WithoutObserverRunsToTheEnd) {
  FCObjImage image = MakeImage(2, 4, 32);
  RecordingEffect effect;
  RunEffect(effect, image, nullptr);
  EXPECT_EQ(RowsTouched(image), 4);
}

TEST(RunEffect, ModesAndImagesItCannotProcess) {
  FCObjImage grey = MakeImage(4, 4, 8);
  RecordingEffect on_grey;
  RunEffect(on_grey, grey, nullptr);
  EXPECT_EQ(on_grey.begin_calls, 0);
  EXPECT_EQ(on_grey.pixel_calls, 0);

  FCObjImage empty;
  RecordingEffect on_empty;
  RunEffect(on_empty, empty, nullptr);
  EXPECT_EQ(on_empty.begin_calls, 0);

  FCObjImage image = MakeImage(4, 4, 24);
  RecordingEffect whole(FCImageEffect::kProcessWholeImage);
  ScriptedObserver observer(100);
  RunEffect(whole, image, &observer);
  EXPECT_EQ(whole.image_calls, 1);
  EXPECT_EQ(whole.pixel_calls, 0);
  EXPECT_EQ(whole.image_observer, &observer);

  RecordingEffect unknown(7);
  RunEffect(unknown, image, nullptr);
  EXPECT_EQ(unknown.begin_calls, 1);
  EXPECT_EQ(unknown.pixel_calls + unknown.image_calls, 0);
}

TEST(EffectProgress, CancelledTaskStopsAfterTheCurrentRow) {
  // The effect clears the task's flag while in row 1; rows 2 and later stay.
  class CancelInRow : public RecordingEffect {
   public:
    explicit CancelInRow(std::atomic<int32_t>* alive) : alive_(alive) {}
    void ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) override {
      RecordingEffect::ApplyToPixel(image, x, y, pixel);
      if (y == 1) {
        alive_->store(0);
      }
    }

   private:
    std::atomic<int32_t>* alive_;
  };
  std::atomic<int32_t> alive{1};
  view_effect::CEffectProgress progress(&alive);
  FCObjImage image = MakeImage(3, 5, 24);
  CancelInRow effect(&alive);
  RunEffect(effect, image, &progress);
  EXPECT_EQ(RowsTouched(image), 2);
  EXPECT_TRUE(progress.IsStopped());

  view_effect::CEffectProgress unbound(nullptr);
  EXPECT_FALSE(unbound.OnProgress(50));
}

std::vector<BYTE> Row(const FCObjImage& image, int y) {
  const BYTE* row = image.RowPointer(y);
  return std::vector<BYTE>(row, row + image.Width() * image.ColorBits() / 8);
}

TEST(EffectMirror, ReversesPixelsKeepingTheirBytes) {
  for (int bpp : {24, 32}) {
    for (int width : {1, 2, 3, 5, 6}) {
      const int bytes = bpp / 8;
      FCObjImage image = MakeImage(width, 2, bpp);
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < width; ++x) {
          for (int i = 0; i < bytes; ++i) {
            image.PixelPointer(x, y)[i] = static_cast<BYTE>(y * 100 + x * 10 + i);
          }
        }
      }
      FCEffectMirror mirror;
      RunEffect(mirror, image, nullptr);
      for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < width; ++x) {
          for (int i = 0; i < bytes; ++i) {
            EXPECT_EQ(image.PixelPointer(x, y)[i], y * 100 + (width - 1 - x) * 10 + i)
                << "bpp " << bpp << " width " << width << " x " << x;
          }
        }
      }
    }
  }
}

TEST(EffectFillCurrentAlpha, FadesThenPremultiplies) {
  const struct {
    int percent;
    BYTE in[4];
    BYTE out[4];
  } cases[] = {
      {50, {200, 100, 50, 128}, {50, 25, 12, 64}},
      {100, {200, 100, 50, 128}, {100, 50, 25, 128}},
      {100, {10, 20, 30, 255}, {10, 20, 30, 255}},
      {0, {200, 100, 50, 255}, {0, 0, 0, 0}},
      {150, {200, 100, 50, 255}, {200, 100, 50, 255}},  // clamped to 100
      {-5, {200, 100, 50, 255}, {0, 0, 0, 0}},          // clamped to 0
  };
  for (const auto& c : cases) {
    FCObjImage image = MakeImage(1, 1, 32);
    std::memcpy(image.PixelPointer(0, 0), c.in, 4);
    main_view::CEffectFillCurrentAlpha fade(c.percent);
    RunEffect(fade, image, nullptr);
    EXPECT_EQ(std::vector<BYTE>(image.PixelPointer(0, 0), image.PixelPointer(0, 0) + 4),
              std::vector<BYTE>(c.out, c.out + 4))
        << c.percent;
  }

  FCObjImage opaque = MakeImage(1, 1, 24);
  std::memset(opaque.PixelPointer(0, 0), 77, 3);
  main_view::CEffectFillCurrentAlpha fade(10);
  RunEffect(fade, opaque, nullptr);
  EXPECT_EQ(Row(opaque, 0), (std::vector<BYTE>{77, 77, 77}));
}

}  // namespace
