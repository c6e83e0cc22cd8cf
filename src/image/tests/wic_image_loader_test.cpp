#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/app_config.h"
#include "image/image_file_opener.h"
#include "support/image_fixtures.h"
#include "image/wic_image_loader.h"
#include "image/wic_pipeline.h"
#include "basic_lib/windows_version.h"
#include "support/test_paths.h"
#include "support/windows_versions.h"

namespace {

using test_support::Fixture;
using test_support::Pixels;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

std::wstring OrientationFixture(int orientation) {
  return Fixture(L"orientation_" + std::to_wstring(orientation) + L".jpg");
}

// Restores the real system version and the settings a test changed.
class LoaderTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CWindowsVersion::OverrideForTesting(0, 0);
    CAppConfig::GetInstance()->orientation_by_tag = 0;
  }
};

TEST_F(LoaderTest, OrientedSizesOfAllEightOrientations) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    CWICImageLoaderPtr loader = OpenImageFile(OrientationFixture(orientation));
    ASSERT_TRUE(loader) << orientation;
    EXPECT_TRUE(loader->opened_from_file());
    EXPECT_EQ(loader->exif().orientation, orientation);
    const SIZE size = loader->GetOrientedSize();
    const bool swapped = orientation >= 5;
    EXPECT_EQ(size.cx, swapped ? 24 : 16) << orientation;
    EXPECT_EQ(size.cy, swapped ? 16 : 24) << orientation;
  }
}

TEST_F(LoaderTest, GetBitmapShowsEveryOrientationUpright) {
  for (int orientation = 1; orientation <= 8; ++orientation) {
    SCOPED_TRACE(testing::Message() << "orientation " << orientation);
    CWICImageLoaderPtr loader = OpenImageFile(OrientationFixture(orientation));
    ASSERT_TRUE(loader);
    ComPtr<IWICBitmap> bitmap = loader->GetBitmap(true);
    ASSERT_TRUE(bitmap);
    const Pixels pixels = test_support::ReadPixels(bitmap.Get());
    const bool swapped = orientation >= 5;
    ASSERT_EQ(pixels.width, swapped ? 24u : 16u);
    ASSERT_EQ(pixels.height, swapped ? 16u : 24u);
    for (int by = 0; by < static_cast<int>(pixels.height) / 8; ++by) {
      for (int bx = 0; bx < static_cast<int>(pixels.width) / 8; ++bx) {
        EXPECT_TRUE(test_support::ColourNear(pixels.At(bx * 8 + 4, by * 8 + 4),
                                             test_support::DisplayedBlock(orientation, bx, by), 24))
            << "block " << bx << "," << by;
      }
    }
  }
}

TEST_F(LoaderTest, BeforeWindows8TheTagIsHonouredOnlyWhenConfigured) {
  CWindowsVersion::OverrideForTesting(6, 1);
  CWICImageLoader ignored(OrientationFixture(6));
  EXPECT_EQ(ignored.exif().orientation, 0);
  EXPECT_EQ(ignored.GetOrientedSize().cx, 16);
  EXPECT_EQ(ignored.GetOrientedSize().cy, 24);

  CAppConfig::GetInstance()->orientation_by_tag = 1;
  CWICImageLoader honoured(OrientationFixture(6));
  EXPECT_EQ(honoured.exif().orientation, 6);
  EXPECT_EQ(honoured.GetOrientedSize().cx, 24);

  CAppConfig::GetInstance()->orientation_by_tag = 0;
  CWindowsVersion::OverrideForTesting(6, 2);
  EXPECT_EQ(CWICImageLoader(OrientationFixture(6)).exif().orientation, 6);
}

TEST(Orientation, TransformTable) {
  const int transforms[] = {0, 0, 0, 8, 2, 16, 17, 1, 9, 3, 0};
  for (int orientation = -1; orientation <= 9; ++orientation) {
    EXPECT_EQ(CWICImageLoader::TransformOfOrientation(orientation), transforms[orientation + 1])
        << orientation;
  }
}

TEST(Orientation, RotationCycles) {
  const struct {
    int from;
    bool clockwise;
    int to;
  } steps[] = {{1, true, 6}, {6, true, 3},   {3, true, 8}, {8, true, 1},     {2, true, 7},
               {7, true, 4}, {4, true, 5},   {5, true, 2}, {1, false, 8},    {2, false, 5},
               {0, true, 6}, {-4, false, 8}, {9, true, 1}, {70000, false, 3}};
  for (const auto& s : steps) {
    EXPECT_EQ(CWICImageLoader::NextOrientation(s.from, s.clockwise), s.to)
        << s.from << (s.clockwise ? " cw" : " ccw");
  }
  for (int start = 1; start <= 8; ++start) {
    for (bool clockwise : {true, false}) {
      int orientation = start;
      for (int i = 0; i < 4; ++i) {
        orientation = CWICImageLoader::NextOrientation(orientation, clockwise);
      }
      EXPECT_EQ(orientation, start);
    }
  }
}

TEST_F(LoaderTest, RotateOrientationTurnsTheDisplayedPicture) {
  CWICImageLoader loader(OrientationFixture(1));
  EXPECT_EQ(loader.RotateOrientation(true), 6);
  EXPECT_EQ(loader.exif().orientation, 6);
  EXPECT_EQ(loader.GetOrientedSize().cx, 24);
  const Pixels turned = test_support::ReadPixels(loader.GetBitmap(false).Get());
  ASSERT_EQ(turned.width, 24u);
  // Turned clockwise, the stored bottom-left block (magenta) is at the top left.
  EXPECT_TRUE(test_support::ColourNear(turned.At(4, 4), test_support::kBlocks[2][0], 24));
  EXPECT_EQ(loader.RotateOrientation(false), 1);
}

// An icon with frames 16, 48, 256 and 256 pixels wide, each of its own colour.
std::string IconWithFourFrames() {
  const int sizes[] = {16, 48, 256, 256};
  const uint32_t colours[] = {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0xFFFFFF00};
  std::vector<std::string> images;
  for (int i = 0; i < 4; ++i) {
    const int side = sizes[i];
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = side;
    header.biHeight = side * 2;  // colour and mask
    header.biPlanes = 1;
    header.biBitCount = 32;
    std::string image(reinterpret_cast<const char*>(&header), sizeof(header));
    for (int p = 0; p < side * side; ++p) {
      image.append(reinterpret_cast<const char*>(&colours[i]), 4);
    }
    const int mask_stride = (side + 31) / 32 * 4;
    image.append(static_cast<size_t>(mask_stride) * side, '\0');
    images.push_back(image);
  }
  std::string icon;
  auto put16 = [&icon](uint16_t v) { icon.append(reinterpret_cast<const char*>(&v), 2); };
  auto put32 = [&icon](uint32_t v) { icon.append(reinterpret_cast<const char*>(&v), 4); };
  put16(0);
  put16(1);
  put16(4);
  uint32_t offset = 6 + 16 * 4;
  for (int i = 0; i < 4; ++i) {
    icon.push_back(static_cast<char>(sizes[i] == 256 ? 0 : sizes[i]));
    icon.push_back(static_cast<char>(sizes[i] == 256 ? 0 : sizes[i]));
    icon.push_back(0);
    icon.push_back(0);
    put16(1);
    put16(32);
    put32(static_cast<uint32_t>(images[i].size()));
    put32(offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const std::string& image : images) icon += image;
  return icon;
}

TEST(IconFrames, FirstOfTheWidestFramesIsOpened) {
  test_support::ScratchFolder scratch(L"loader_icon");
  ASSERT_TRUE(test_support::WriteFileBytes(scratch.File(L"four.ico"), IconWithFourFrames()));
  CWICImageLoaderPtr loader = OpenImageFile(scratch.File(L"four.ico"));
  ASSERT_TRUE(loader);
  EXPECT_EQ(loader->GetOrientedSize().cx, 256);
  const Pixels pixels = test_support::ReadPixels(loader->GetBitmap(false).Get());
  ASSERT_EQ(pixels.width, 256u);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(100, 100), {255, 0, 0}, 0));  // frame 2, not 3
}

TEST_F(LoaderTest, ScaledBitmapHasTheSizeAskedForOnEverySystem) {
  CWICImageLoader loader(OrientationFixture(6));
  test_support::ForEachWindowsVersion([&](const test_support::WindowsVersionCase&) {
    ComPtr<IWICColorContext> context;
    ComPtr<IWICBitmapSource> scaled = loader.GetScaledBitmap(12, 8, &context);
    ASSERT_TRUE(scaled);
    const Pixels pixels = test_support::ReadPixels(scaled.Get());
    EXPECT_EQ(pixels.width, 12u);
    EXPECT_EQ(pixels.height, 8u);
    EXPECT_FALSE(context);  // the platform's JPEG frame gives no profile here
  });
  // At the picture's own size nothing is scaled.
  ComPtr<IWICBitmapSource> same = loader.GetScaledBitmap(24, 16, nullptr);
  ASSERT_TRUE(same);
  UINT width = 0;
  UINT height = 0;
  same->GetSize(&width, &height);
  EXPECT_EQ(width, 24u);
}

TEST(WicPipeline, ScalingFallsBackToFantWhereAModeIsRefused) {
  CWICImageLoader loader(OrientationFixture(1));
  ComPtr<IWICBitmap> bitmap = loader.GetBitmap(false);
  ASSERT_TRUE(bitmap);
  // Whatever the platform makes of these modes, the result scales.
  for (WICBitmapInterpolationMode mode :
       {wic_pipeline::kHighQualityCubic, static_cast<WICBitmapInterpolationMode>(77),
        WICBitmapInterpolationModeFant}) {
    ComPtr<IWICBitmapSource> scaled = wic_pipeline::ScaleWithFallback(bitmap.Get(), 4, 6, mode);
    ASSERT_TRUE(scaled) << mode;
    const Pixels pixels = test_support::ReadPixels(scaled.Get());
    EXPECT_EQ(pixels.width, 4u);
    EXPECT_EQ(pixels.height, 6u);
  }
  EXPECT_FALSE(wic_pipeline::Scale(nullptr, 4, 6, WICBitmapInterpolationModeFant));
  EXPECT_FALSE(wic_pipeline::ScaleWithFallback(nullptr, 4, 6, wic_pipeline::kHighQualityCubic));
}

// Every transform of our own flip/rotator against the EXIF meaning of the
// orientation that maps to it.
TEST(WicPipeline, OwnFlipRotatorMatchesTheOrientations) {
  CWICImageLoader loader(OrientationFixture(1));
  ComPtr<IWICBitmap> stored = loader.GetBitmap(false);
  ASSERT_TRUE(stored);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    ComPtr<IWICBitmap> turned = wic_pipeline::FlipRotateInMemory(
        stored.Get(), CWICImageLoader::TransformOfOrientation(orientation));
    ASSERT_TRUE(turned);
    const Pixels pixels = test_support::ReadPixels(turned.Get());
    ASSERT_EQ(pixels.width, orientation >= 5 ? 24u : 16u);
    for (int by = 0; by < static_cast<int>(pixels.height) / 8; ++by) {
      for (int bx = 0; bx < static_cast<int>(pixels.width) / 8; ++bx) {
        EXPECT_TRUE(test_support::ColourNear(pixels.At(bx * 8 + 4, by * 8 + 4),
                                             test_support::DisplayedBlock(orientation, bx, by), 24))
            << "orientation " << orientation << " block " << bx << "," << by;
      }
    }
  }
}

TEST(LoaderState, ResetLetsGoOfTheFile) {
  test_support::ScratchFolder scratch(L"loader_reset");
  const std::wstring copy = scratch.File(L"copy.jpg");
  ASSERT_TRUE(CopyFileW(OrientationFixture(6).c_str(), copy.c_str(), FALSE));
  CWICImageLoader loader(copy);
  ASSERT_TRUE(loader.source());
  // Others may write the file while it is open.
  HANDLE writer = CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
  loader.Reset();
  EXPECT_FALSE(loader.source());
  EXPECT_FALSE(loader.decoder());
  EXPECT_FALSE(loader.opened_from_file());
  EXPECT_EQ(loader.exif().orientation, 0);
  EXPECT_EQ(loader.GetOrientedSize().cx, 0);
  EXPECT_FALSE(loader.GetBitmap(true));
  EXPECT_TRUE(DeleteFileW(copy.c_str()));
  loader.Open(OrientationFixture(8));
  EXPECT_EQ(loader.exif().orientation, 8);
}

TEST(LoaderState, AnimatedGifIsRecognised) {
  CWICImageLoader animated(Fixture(L"animated.gif"));
  ASSERT_TRUE(animated.source());
  EXPECT_TRUE(animated.IsAnimatedGif());
  CWICImageLoader still(Fixture(L"still.gif"));
  ASSERT_TRUE(still.source());
  EXPECT_FALSE(still.IsAnimatedGif());
  EXPECT_FALSE(CWICImageLoader(OrientationFixture(1)).IsAnimatedGif());
}

}  // namespace
