#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "effects/current_effect.h"
#include "effects/effect_brightness_contrast.h"
#include "effects/effect_hue_saturation.h"
#include "effects/effect_sharp.h"
#include "image/obj_image.h"

namespace {

using Pixel = std::array<BYTE, 4>;  // B, G, R, A

FCObjImage Filled(int width, int height, int bpp, Pixel value) {
  FCObjImage image;
  EXPECT_TRUE(image.Allocate(width, height, bpp));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::memcpy(image.PixelPointer(x, y), value.data(), bpp / 8);
    }
  }
  return image;
}

Pixel At(const FCObjImage& image, int x, int y) {
  Pixel p = {0, 0, 0, 0};
  std::memcpy(p.data(), image.PixelPointer(x, y), image.ColorBits() / 8);
  return p;
}

TEST(BrightnessContrast, LookupTables) {
  const struct {
    int brightness, contrast, in, out;
  } cases[] = {
      {20, 0, 0, 20},     {20, 0, 128, 148},   {20, 0, 234, 254},  {20, 0, 235, 255},
      {20, 0, 255, 255},  {-300, 0, 0, 0},     {-300, 0, 255, 0},  {0, 100, 0, 0},
      {0, 100, 128, 128}, {0, 100, 191, 254},  {0, 100, 192, 255}, {0, 0, 77, 77},
      {0, -100, 0, 128},  {0, -100, 255, 128},
  };
  for (const auto& c : cases) {
    FCEffectBrightnessContrast effect(c.brightness, c.contrast);
    EXPECT_EQ(effect.LookupValue(c.in), c.out)
        << c.brightness << "/" << c.contrast << " at " << c.in;
  }
  // Extreme parameters clamp instead of overflowing.
  EXPECT_EQ(FCEffectBrightnessContrast(0, 2000000000).LookupValue(0), 0);
  EXPECT_EQ(FCEffectBrightnessContrast(0, 2000000000).LookupValue(255), 255);
}

TEST(BrightnessContrast, MapsEachColourChannelAndKeepsAlpha) {
  FCObjImage image = Filled(2, 2, 32, {0, 128, 235, 90});
  FCEffectBrightnessContrast brighter(20, 0);
  RunEffect(brighter, image, nullptr);
  EXPECT_EQ(At(image, 1, 1), (Pixel{20, 148, 255, 90}));
}

TEST(HueSaturation, ColorfulTable) {
  const struct {
    Pixel in, out;
  } cases[] = {
      {{128, 128, 128, 7}, {128, 128, 128, 7}},  // grey: no saturation to scale
      {{0, 0, 0, 7}, {0, 0, 0, 7}},
      {{255, 255, 255, 7}, {255, 255, 255, 7}},
      {{0, 0, 200, 7}, {0, 0, 200, 7}},  // already fully saturated
      {{100, 100, 200, 7}, {90, 90, 210, 7}},
  };
  for (const auto& c : cases) {
    FCObjImage image = Filled(1, 1, 32, c.in);
    FCEffectHueSaturation colorful(0, 306);
    RunEffect(colorful, image, nullptr);
    EXPECT_EQ(At(image, 0, 0), c.out) << int(c.in[0]) << "," << int(c.in[1]) << "," << int(c.in[2]);
  }
}

TEST(HueSaturation, HueShiftAndSectors) {
  EXPECT_EQ(FCEffectHueSaturation::SectorOfHue(0), 0);
  EXPECT_EQ(FCEffectHueSaturation::SectorOfHue(20.9), 0);
  EXPECT_EQ(FCEffectHueSaturation::SectorOfHue(21), 1);
  EXPECT_EQ(FCEffectHueSaturation::SectorOfHue(106), 3);
  EXPECT_EQ(FCEffectHueSaturation::SectorOfHue(233.9), 5);
  EXPECT_EQ(FCEffectHueSaturation::SectorOfHue(234), 0);

  // A third of the circle moves red to green; saturation 0 in the green
  // sector's tables turns a pure green into grey while red stays red.
  FCObjImage red = Filled(1, 1, 24, {0, 0, 255, 0});
  FCEffectHueSaturation rotate(85, 255);
  RunEffect(rotate, red, nullptr);
  EXPECT_EQ(At(red, 0, 0), (Pixel{0, 255, 0, 0}));

  FCObjImage green = Filled(1, 1, 24, {0, 255, 0, 0});
  FCObjImage also_red = Filled(1, 1, 24, {0, 0, 255, 0});
  FCEffectHueSaturation desaturate_green(0, 255);
  desaturate_green.SetSector(FCEffectHueSaturation::SectorOfHue(85), 0, 0);
  RunEffect(desaturate_green, green, nullptr);
  RunEffect(desaturate_green, also_red, nullptr);
  EXPECT_EQ(At(green, 0, 0), (Pixel{128, 128, 128, 0}));
  EXPECT_EQ(At(also_red, 0, 0), (Pixel{0, 0, 255, 0}));
}

TEST(Sharpen, FlatPictureAndBordersStayUnchanged) {
  for (int bpp : {24, 32}) {
    FCObjImage image = Filled(4, 3, bpp, {40, 120, 250, 33});
    FCEffectSharp sharp;
    RunEffect(sharp, image, nullptr);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(At(image, x, y), (Pixel{40, 120, 250, static_cast<BYTE>(bpp == 32 ? 33 : 0)}))
            << x << "," << y;
      }
    }
  }
}

TEST(Sharpen, SingleBrightPixelIsAmplifiedAndNeighboursDarkened) {
  FCObjImage image = Filled(5, 5, 32, {10, 10, 10, 255});
  std::memcpy(image.PixelPointer(2, 2), Pixel{100, 20, 10, 255}.data(), 4);
  FCEffectSharp sharp;
  RunEffect(sharp, image, nullptr);
  // Centre: (18 x 100 - 8 x 10) / 10 = 172 in blue; green (18 x 20 - 80) / 10 = 28.
  EXPECT_EQ(At(image, 2, 2), (Pixel{172, 28, 10, 255}));
  // A neighbour: (18 x 10 - 100 - 7 x 10) / 10 = 1; (180 - 20 - 70) / 10 = 9.
  for (auto [x, y] : {std::pair{1, 1}, {2, 1}, {3, 3}, {1, 2}}) {
    EXPECT_EQ(At(image, x, y), (Pixel{1, 9, 10, 255})) << x << "," << y;
  }
  EXPECT_EQ(At(image, 0, 0), (Pixel{10, 10, 10, 255}));
  EXPECT_EQ(At(image, 4, 2), (Pixel{10, 10, 10, 255}));
}

TEST(Sharpen, BrightCornerRepeatsTheBorder) {
  // The corner pixel counts four times in its own sum (three repeated copies
  // plus itself in the centre column and row): (18 x 50 - 3 x 50 - 5 x 0) / 10.
  FCObjImage image = Filled(3, 3, 24, {0, 0, 0, 0});
  std::memcpy(image.PixelPointer(0, 0), Pixel{50, 50, 50, 0}.data(), 3);
  FCEffectSharp sharp;
  RunEffect(sharp, image, nullptr);
  EXPECT_EQ(At(image, 0, 0), (Pixel{75, 75, 75, 0}));
  EXPECT_EQ(At(image, 1, 0), (Pixel{0, 0, 0, 0}));  // 0 - 2 x 50 clamps to 0
}

class Enhancement : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(Enhancement, EachModeAppliesItsEffect) {
  // A centre that differs from its neighbours, so sharpening shows.
  const struct {
    int mode;
    Pixel out;
  } cases[] = {
      {kEnhanceNone, {100, 100, 200, 255}},
      {kEnhanceBrighter, {120, 120, 220, 255}},
      {kEnhanceColorful, {90, 90, 210, 255}},
      // (18 x 100 - 8 x 60) / 10 = 132; (18 x 200 - 8 x 120) / 10 clamps to 255.
      {kEnhanceSharp, {132, 132, 255, 255}},
      {4, {100, 100, 200, 255}},
      {-1, {100, 100, 200, 255}},
  };
  for (const auto& c : cases) {
    FCObjImage image = Filled(3, 3, 32, {60, 60, 120, 255});
    std::memcpy(image.PixelPointer(1, 1), Pixel{100, 100, 200, 255}.data(), 4);
    ApplyEnhancement(c.mode, image, nullptr);
    EXPECT_EQ(At(image, 1, 1), c.out) << c.mode;
  }
}

TEST_F(Enhancement, EditsALockedWicBitmapInPlace) {
  IWICImagingFactory* factory = nullptr;
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IWICImagingFactory,
                                            reinterpret_cast<void**>(&factory)));
  auto make_bitmap = [&](REFWICPixelFormatGUID format, UINT width, UINT stride) {
    std::vector<BYTE> pixels(stride * 2, 50);
    IWICBitmap* bitmap = nullptr;
    EXPECT_HRESULT_SUCCEEDED(factory->CreateBitmapFromMemory(
        width, 2, format, stride, static_cast<UINT>(pixels.size()), pixels.data(), &bitmap));
    return bitmap;
  };
  auto first_byte = [](IWICBitmap* bitmap) {
    BYTE pixel[4] = {};
    WICRect one = {0, 0, 1, 1};
    EXPECT_HRESULT_SUCCEEDED(bitmap->CopyPixels(&one, 4, 4, pixel));
    return pixel[0];
  };

  IWICBitmap* bgra = make_bitmap(GUID_WICPixelFormat32bppBGRA, 3, 12);
  ApplyEnhancementToBitmap(kEnhanceNone, bgra, nullptr);
  EXPECT_EQ(first_byte(bgra), 50);
  ApplyEnhancementToBitmap(kEnhanceBrighter, bgra, nullptr);
  EXPECT_EQ(first_byte(bgra), 70);

  // Three-byte pixels are not the layout the wrap needs: left alone.
  IWICBitmap* bgr = make_bitmap(GUID_WICPixelFormat24bppBGR, 4, 12);
  ApplyEnhancementToBitmap(kEnhanceBrighter, bgr, nullptr);
  EXPECT_EQ(first_byte(bgr), 50);
  ApplyEnhancementToBitmap(kEnhanceBrighter, nullptr, nullptr);

  bgr->Release();
  bgra->Release();
  factory->Release();
}

}  // namespace
