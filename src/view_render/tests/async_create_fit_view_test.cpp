// The fit task's use of the system thumbnail cache, with a stand-in cache:
// a large preview first, a second pass where the view is larger than that
// preview, decoding where the cache has nothing usable.
#include "view_render/async_create_fit_view.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "framework/gdi_objects.h"
#include "image/tests/fake_thumbnail_cache.h"
#include "basic_lib/windows_version.h"
#include "support/view.h"

namespace view_render {
namespace {

using test_support::CFakeThumbnailCache;
using test_support::ThumbnailAnswer;
using test_support::ThumbnailCall;
using Calls = std::vector<ThumbnailCall>;

constexpr COLORREF kLargePreview = RGB(200, 30, 60);
constexpr COLORREF kScaled = RGB(30, 160, 40);

uint32_t Rgb(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

// The size and middle colour of a bitmap the task made (0 x 0 for none).
struct Result {
  int width = 0;
  int height = 0;
  uint32_t middle = 0;
  uint32_t top_left = 0;  // a quarter of the way in from the top left corner
};

Result Take(CAsyncCreateFitView& task) {
  Result result;
  HBITMAP bitmap = task.TakeBitmap();
  if (!bitmap) {
    return result;
  }
  BITMAP info = {};
  GetObjectW(bitmap, sizeof(info), &info);
  result.width = info.bmWidth;
  result.height = info.bmHeight;
  HDC screen = GetDC(nullptr);
  CMemoryDC dc(screen);
  ReleaseDC(nullptr, screen);
  {
    CSelectObject select(dc, bitmap);
    result.middle = test_support::PixelAt(dc, info.bmWidth / 2, info.bmHeight / 2);
    result.top_left = test_support::PixelAt(dc, info.bmWidth / 4, info.bmHeight / 4);
  }
  DeleteObject(bitmap);
  return result;
}

class FitViewTest : public ::testing::Test {
 protected:
  void TearDown() override { CWindowsVersion::OverrideForTesting(0, 0); }

  // A fit request for the large JPEG at width x height.
  static CAsyncCreateFitView::Request MakeRequest(int width, int height, bool second_pass,
                                                  CWICImageLoaderPtr loader = nullptr) {
    CAsyncCreateFitView::Request request;
    request.path = test_support::FixturePath(L"large_quadrants.jpg");
    request.loader = std::move(loader);
    request.width = width;
    request.height = height;
    request.second_pass = second_pass;
    return request;
  }
};

// The cache answers a large preview (its own size) and scaled requests in
// their own colour; low_quality marks the scaled answers so.
ThumbnailAnswer Answer(UINT size, WTS_FLAGS flags, int large_side, bool low_quality) {
  if (flags & WTS_SCALETOREQUESTEDSIZE) {
    return {static_cast<int>(size), static_cast<int>(size) * 6 / 7, kScaled,
            low_quality ? WTS_LOWQUALITY : WTS_CACHED};
  }
  if (flags == WTS_EXTRACT && large_side > 0) {  // WTS_EXTRACT is no bit: 0
    return {large_side, large_side * 6 / 7, kLargePreview, WTS_CACHED};
  }
  return {};
}

TEST_F(FitViewTest, FirstPassTakesTheLargePreviewAndAsksForASecondWhereTheViewIsLarger) {
  struct Case {
    const char* name;
    DWORD major;
    int width;
    int height;
    Calls calls;
    bool needs_second_pass;
  };
  const Case cases[] = {
      {"view within the preview", 10, 1000, 857, {{1280, WTS_EXTRACT}}, false},
      {"view larger than the preview", 10, 1600, 1371, {{1280, WTS_EXTRACT}}, true},
      {"view within, before Windows 10", 6, 1050, 900, {{1024, WTS_EXTRACT}}, false},
      {"view larger, before Windows 10", 6, 1200, 1028, {{1024, WTS_EXTRACT}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CWindowsVersion::OverrideForTesting(c.major, 0);
    const int large_side = c.major >= 10 ? 1280 : 1024;
    CFakeThumbnailCache cache(
        [&](UINT size, WTS_FLAGS flags) { return Answer(size, flags, large_side, false); });
    ASSERT_TRUE(cache.registered());
    CAsyncCreateFitView task(MakeRequest(c.width, c.height, false));
    task.Run();
    EXPECT_EQ(c.calls, cache.calls());
    EXPECT_EQ(c.needs_second_pass, task.needs_second_pass());
    const Result result = Take(task);
    EXPECT_EQ(c.width, result.width);
    EXPECT_EQ(c.height, result.height);
    EXPECT_TRUE(test_support::Near(Rgb(kLargePreview), result.middle)) << std::hex << result.middle;
  }
}

TEST_F(FitViewTest, SecondPassAsksForTheViewSize) {
  CFakeThumbnailCache cache(
      [](UINT size, WTS_FLAGS flags) { return Answer(size, flags, 1280, false); });
  ASSERT_TRUE(cache.registered());
  CAsyncCreateFitView task(MakeRequest(1600, 1371, true));
  task.Run();
  EXPECT_EQ((Calls{{1600, WTS_SCALETOREQUESTEDSIZE}}), cache.calls());
  EXPECT_FALSE(task.needs_second_pass());
  const Result result = Take(task);
  EXPECT_EQ(1600, result.width);
  EXPECT_TRUE(test_support::Near(Rgb(kScaled), result.middle)) << std::hex << result.middle;
}

TEST_F(FitViewTest, WithoutALargePreviewTheScaledThumbnailIsTakenInOnePass) {
  CFakeThumbnailCache cache(
      [](UINT size, WTS_FLAGS flags) { return Answer(size, flags, 0, false); });
  ASSERT_TRUE(cache.registered());
  CAsyncCreateFitView task(MakeRequest(1600, 1371, false));
  task.Run();
  EXPECT_EQ((Calls{{1280, WTS_EXTRACT}, {1600, WTS_SCALETOREQUESTEDSIZE}}), cache.calls());
  EXPECT_FALSE(task.needs_second_pass());
  EXPECT_TRUE(test_support::Near(Rgb(kScaled), Take(task).middle));
}

TEST_F(FitViewTest, ALowQualityThumbnailIsNotFinalThePictureIsDecoded) {
  CFakeThumbnailCache cache(
      [](UINT size, WTS_FLAGS flags) { return Answer(size, flags, 1280, true); });
  ASSERT_TRUE(cache.registered());
  CWICImageLoaderPtr loader = OpenImageFile(test_support::FixturePath(L"large_quadrants.jpg"));
  ASSERT_TRUE(loader);
  CAsyncCreateFitView task(MakeRequest(700, 600, true, loader));
  task.Run();
  EXPECT_EQ((Calls{{700, WTS_SCALETOREQUESTEDSIZE}}), cache.calls());
  EXPECT_FALSE(task.needs_second_pass());
  // Decoded: the picture's quadrants, red at the top left, yellow at the
  // bottom right, not the cache's colour.
  HBITMAP bitmap = task.TakeBitmap();
  ASSERT_NE(nullptr, bitmap);
  HDC screen = GetDC(nullptr);
  CMemoryDC dc(screen);
  ReleaseDC(nullptr, screen);
  {
    CSelectObject select(dc, bitmap);
    EXPECT_TRUE(test_support::Near(0xFF0000, test_support::PixelAt(dc, 100, 100), 12));
    EXPECT_TRUE(test_support::Near(0xFFFF00, test_support::PixelAt(dc, 600, 500), 12));
  }
  DeleteObject(bitmap);
}

TEST_F(FitViewTest, PicturesTheCacheDoesNotKeepAreDecodedWithoutAsking) {
  CFakeThumbnailCache cache(
      [](UINT size, WTS_FLAGS flags) { return Answer(size, flags, 1280, false); });
  ASSERT_TRUE(cache.registered());
  CAsyncCreateFitView::Request request = MakeRequest(700, 600, false);
  // The document shows a bitmap of its own, which the cache does not know.
  request.use_display_bitmap = true;
  request.loader = OpenImageFile(request.path);
  CAsyncCreateFitView task(std::move(request));
  task.Run();
  EXPECT_TRUE(cache.calls().empty());
  const Result result = Take(task);
  EXPECT_EQ(700, result.width);
  EXPECT_TRUE(test_support::Near(0xFF0000, result.top_left, 12)) << std::hex << result.top_left;
}

}  // namespace
}  // namespace view_render
