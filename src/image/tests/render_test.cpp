#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/app_config.h"
#include "effects/current_effect.h"
#include "image/image_file_opener.h"
#include "image/tests/fake_thumbnail_cache.h"
#include "support/image_fixtures.h"
#include "image/thumbnail_request.h"
#include "image/wic_factory.h"
#include "image/wic_image_loader.h"
#include "basic_lib/windows_version.h"

namespace {

using test_support::Fixture;
using test_support::Pixels;
using test_support::Rgb;

class RenderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CAppConfig::GetInstance()->current_effect = kEnhanceNone;
    CWindowsVersion::OverrideForTesting(0, 0);
  }
};

TEST_F(RenderTest, EveryOrientationRendersUpright) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(testing::Message() << "orientation " << orientation);
    CWICImageLoaderPtr loader =
        OpenImageFile(Fixture(L"orientation_" + std::to_wstring(orientation) + L".jpg"));
    ASSERT_TRUE(loader);
    const SIZE size = loader->GetOrientedSize();
    HBITMAP out = nullptr;
    ASSERT_TRUE(loader->RenderToBitmap(size.cx, size.cy, out));
    const Pixels pixels = test_support::ReadHBitmap(out);
    DeleteObject(out);
    ASSERT_EQ(pixels.width, static_cast<UINT>(size.cx));
    for (int by = 0; by < size.cy / 8; ++by) {
      for (int bx = 0; bx < size.cx / 8; ++bx) {
        EXPECT_TRUE(test_support::ColourNear(pixels.At(bx * 8 + 4, by * 8 + 4),
                                             test_support::DisplayedBlock(orientation, bx, by), 24))
            << "block " << bx << "," << by;
      }
    }
  }
}

TEST_F(RenderTest, LargeRotatedPictureIsScaledThenTurned) {
  CWICImageLoaderPtr loader = OpenImageFile(Fixture(L"large_orientation_6.jpg"));
  ASSERT_TRUE(loader);
  EXPECT_EQ(loader->GetOrientedSize().cx, 2000);
  EXPECT_EQ(loader->GetOrientedSize().cy, 3000);
  HBITMAP out = nullptr;
  ASSERT_TRUE(loader->RenderToBitmap(500, 750, out));
  const Pixels pixels = test_support::ReadHBitmap(out);
  DeleteObject(out);
  ASSERT_EQ(pixels.width, 500u);
  ASSERT_EQ(pixels.height, 750u);
  // Stored quadrants red, lime / blue, yellow, turned a quarter clockwise.
  EXPECT_TRUE(test_support::ColourNear(pixels.At(125, 187), {0, 0, 255}, 24));
  EXPECT_TRUE(test_support::ColourNear(pixels.At(375, 187), {255, 0, 0}, 24));
  EXPECT_TRUE(test_support::ColourNear(pixels.At(125, 562), {255, 255, 0}, 24));
  EXPECT_TRUE(test_support::ColourNear(pixels.At(375, 562), {0, 255, 0}, 24));
}

// 3 x 1 straight alpha: clear white, opaque (R 200, G 100, B 100), half white.
CWICImageLoader TranslucentLoader() {
  const uint8_t pixels[] = {255, 255, 255, 0, 100, 100, 200, 255, 255, 255, 255, 128};
  ComPtr<IWICBitmap> memory;
  EXPECT_HRESULT_SUCCEEDED(CWICFactory::Get()->CreateBitmapFromMemory(
      3, 1, GUID_WICPixelFormat32bppBGRA, 12, sizeof(pixels), const_cast<uint8_t*>(pixels),
      memory.Receive()));
  return CWICImageLoader(memory.Get(), nullptr);
}

TEST_F(RenderTest, ComposedOverTheCanvasWithTheCurrentEffect) {
  CWICImageLoader loader = TranslucentLoader();
  HBITMAP out = nullptr;
  ASSERT_TRUE(loader.RenderToBitmap(3, 1, out));
  Pixels pixels = test_support::ReadHBitmap(out);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(0, 0), {39, 39, 39}, 1));  // canvas colour
  EXPECT_TRUE(test_support::ColourNear(pixels.At(1, 0), {200, 100, 100}, 1));
  EXPECT_TRUE(test_support::ColourNear(pixels.At(2, 0), {147, 147, 147}, 2));

  // A new render replaces (and deletes) the bitmap held in out.
  CAppConfig::GetInstance()->current_effect = kEnhanceBrighter;
  HBITMAP previous = out;
  ASSERT_TRUE(loader.RenderToBitmap(3, 1, out));
  EXPECT_NE(out, previous);
  EXPECT_EQ(GetObjectType(previous), 0u);
  pixels = test_support::ReadHBitmap(out);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(1, 0), {220, 120, 120}, 1));
  DeleteObject(out);
}

TEST_F(RenderTest, FailureLeavesOutAlone) {
  HBITMAP keep = CreateBitmap(1, 1, 1, 32, nullptr);
  HBITMAP out = keep;
  CWICImageLoader empty(Fixture(L"no_such_file.jpg"));
  EXPECT_FALSE(empty.RenderToBitmap(10, 10, out));
  CWICImageLoader loader = TranslucentLoader();
  EXPECT_FALSE(loader.RenderToBitmap(0, 10, out));
  EXPECT_EQ(out, keep);
  EXPECT_EQ(GetObjectType(keep), static_cast<DWORD>(OBJ_BITMAP));
  DeleteObject(keep);
}

TEST_F(RenderTest, ThumbnailCacheMissingMeansNoThumbnail) {
  for (int mode : {kThumbnailCacheOnly, kThumbnailScaled, kThumbnailLarge}) {
    CThumbnailRequest request;
    EXPECT_FALSE(RequestThumbnail(Fixture(L"orientation_1.jpg"), 256, mode, &request)) << mode;
    EXPECT_FALSE(request.bitmap);
    EXPECT_FALSE(request.IsUsable());
  }
  CThumbnailRequest empty;
  HBITMAP out = nullptr;
  EXPECT_FALSE(RenderThumbnailToBitmap(empty, 10, 10, out, WICBitmapTransformRotate0, nullptr,
                                       CDisplayOptions()));
  EXPECT_EQ(out, nullptr);
}

// A 2 x 1 thumbnail, red then blue, as the cache hands it out.
HBITMAP RedBlueThumbnail() {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = -1;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const uint8_t pixels[] = {0, 0, 255, 255, 255, 0, 0, 255};
  memcpy(bits, pixels, sizeof(pixels));
  return bitmap;
}

TEST_F(RenderTest, ThumbnailRendersLikeThePicture) {
  HBITMAP thumbnail = RedBlueThumbnail();
  HBITMAP out = nullptr;
  // From Windows 8 on thumbnails come upright: the transform is not applied.
  ASSERT_TRUE(RenderThumbnailHBitmap(thumbnail, WTSAT_ARGB, 8, 2, out, WICBitmapTransformRotate90,
                                     nullptr, CDisplayOptions()));
  Pixels pixels = test_support::ReadHBitmap(out);
  ASSERT_EQ(pixels.width, 8u);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(0, 1), {255, 0, 0}, 8));
  EXPECT_TRUE(test_support::ColourNear(pixels.At(7, 0), {0, 0, 255}, 8));

  CWindowsVersion::OverrideForTesting(6, 1);
  ASSERT_TRUE(RenderThumbnailHBitmap(thumbnail, WTSAT_RGB, 2, 8, out, WICBitmapTransformRotate90,
                                     nullptr, CDisplayOptions()));
  pixels = test_support::ReadHBitmap(out);
  ASSERT_EQ(pixels.height, 8u);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(1, 0), {255, 0, 0}, 8));
  EXPECT_TRUE(test_support::ColourNear(pixels.At(0, 7), {0, 0, 255}, 8));

  // An sRGB profile leaves the colours as they are.
  ComPtr<IWICColorContext> srgb;
  ASSERT_HRESULT_SUCCEEDED(CWICFactory::Get()->CreateColorContext(srgb.Receive()));
  ASSERT_HRESULT_SUCCEEDED(srgb->InitializeFromExifColorSpace(1));
  CWindowsVersion::OverrideForTesting(0, 0);
  ASSERT_TRUE(RenderThumbnailHBitmap(thumbnail, WTSAT_ARGB, 2, 1, out, WICBitmapTransformRotate0,
                                     srgb.Get(), CDisplayOptions()));
  pixels = test_support::ReadHBitmap(out);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(0, 0), {255, 0, 0}, 3));
  DeleteObject(out);
  DeleteObject(thumbnail);
}

// Requests to a thumbnail cache, as the program asks them per mode and per
// Windows version, and the quality it reads from the answers.
TEST_F(RenderTest, ThumbnailRequestsAskTheCacheByModeAndVersion) {
  using test_support::ThumbnailAnswer;
  using test_support::ThumbnailCall;
  using Calls = std::vector<ThumbnailCall>;
  const WTS_FLAGS kCacheOnly = WTS_INCACHEONLY;
  const WTS_FLAGS kCacheOnlyScaled = WTS_INCACHEONLY | WTS_SCALETOREQUESTEDSIZE;
  // What the cache holds: nothing, or a thumbnail of the given larger side
  // with the given flags; a fast extraction always answers 256 pixels.
  struct Case {
    const char* name;
    DWORD major;
    int mode;
    UINT requested;
    int held;  // 0: nothing in the cache
    WTS_CACHEFLAGS held_flags;
    Calls expected_calls;
    bool found;
    int32_t quality;
    bool usable;
  };
  const Case cases[] = {
      {"held, Windows 10",
       10,
       kThumbnailCacheOnly,
       800,
       1280,
       WTS_CACHED,
       {{1280, kCacheOnly}},
       true,
       WTS_CACHED,
       true},
      {"larger than the big size",
       10,
       kThumbnailCacheOnly,
       2000,
       2000,
       WTS_CACHED,
       {{2000, kCacheOnlyScaled}},
       true,
       WTS_CACHED,
       true},
      {"not held: fast extraction",
       10,
       kThumbnailCacheOnly,
       800,
       0,
       WTS_DEFAULT,
       {{1280, kCacheOnly}, {256, WTS_FASTEXTRACT}},
       true,
       CThumbnailRequest::kLowQuality,
       false},
      {"held at low quality, Windows 10",
       10,
       kThumbnailCacheOnly,
       800,
       1280,
       WTS_LOWQUALITY,
       {{1280, kCacheOnly}},
       true,
       WTS_LOWQUALITY,
       false},
      {"large preview before Windows 10",
       6,
       kThumbnailCacheOnly,
       800,
       1024,
       WTS_LOWQUALITY,
       {{1024, kCacheOnly}},
       true,
       CThumbnailRequest::kFromCache,
       true},
      {"large preview for a larger view before Windows 10",
       6,
       kThumbnailCacheOnly,
       1100,
       1100,
       WTS_LOWQUALITY,
       {{1100, kCacheOnlyScaled}},
       true,
       WTS_LOWQUALITY,
       false},
      {"small preview before Windows 10",
       6,
       kThumbnailCacheOnly,
       800,
       900,
       WTS_LOWQUALITY,
       {{1024, kCacheOnly}},
       true,
       WTS_LOWQUALITY,
       false},
      {"scaled",
       10,
       kThumbnailScaled,
       1500,
       1500,
       WTS_DEFAULT,
       {{1500, WTS_SCALETOREQUESTEDSIZE}},
       true,
       WTS_DEFAULT,
       true},
      {"large, Windows 10",
       10,
       kThumbnailLarge,
       0,
       1280,
       WTS_DEFAULT,
       {{1280, WTS_EXTRACT}},
       true,
       WTS_DEFAULT,
       true},
      {"large before Windows 10",
       6,
       kThumbnailLarge,
       0,
       1024,
       WTS_DEFAULT,
       {{1024, WTS_EXTRACT}},
       true,
       WTS_DEFAULT,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CWindowsVersion::OverrideForTesting(c.major, 1);
    test_support::CFakeThumbnailCache cache([&c](UINT size, WTS_FLAGS flags) {
      ThumbnailAnswer answer;
      if (flags & WTS_FASTEXTRACT) {
        answer = {256, 170, RGB(1, 2, 3), WTS_DEFAULT};
      } else if (c.held != 0) {
        const int side = (flags & WTS_SCALETOREQUESTEDSIZE) ? static_cast<int>(size) : c.held;
        answer = {side, side * 2 / 3, RGB(1, 2, 3), c.held_flags};
      }
      return answer;
    });
    ASSERT_TRUE(cache.registered());
    CThumbnailRequest request;
    EXPECT_EQ(c.found,
              RequestThumbnail(Fixture(L"orientation_1.jpg"), c.requested, c.mode, &request));
    EXPECT_EQ(c.expected_calls, cache.calls());
    EXPECT_EQ(c.quality, request.quality);
    EXPECT_EQ(c.usable, request.IsUsable());
  }
}

TEST_F(RenderTest, ThumbnailFromTheCacheRendersAtTheRequestedSize) {
  test_support::CFakeThumbnailCache cache([](UINT size, WTS_FLAGS) {
    return test_support::ThumbnailAnswer{static_cast<int>(size), static_cast<int>(size) / 2,
                                         RGB(200, 30, 60), WTS_CACHED};
  });
  ASSERT_TRUE(cache.registered());
  CThumbnailRequest request;
  ASSERT_TRUE(RequestThumbnail(Fixture(L"orientation_1.jpg"), 300, kThumbnailScaled, &request));
  HBITMAP out = nullptr;
  ASSERT_TRUE(RenderThumbnailToBitmap(request, 150, 75, out, WICBitmapTransformRotate0, nullptr,
                                      CDisplayOptions()));
  const Pixels pixels = test_support::ReadHBitmap(out);
  DeleteObject(out);
  ASSERT_EQ(pixels.width, 150u);
  ASSERT_EQ(pixels.height, 75u);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(75, 40), {200, 30, 60}, 3));
}

}  // namespace
