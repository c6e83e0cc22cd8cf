#include "folder/system_cache.h"

#include <windows.h>
#include <wincodec.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "folder/async_create_system_cache.h"
#include "support/counting_window.h"
#include "support/message_pump.h"
#include "support/test_paths.h"
#include "framework/com_ptr.h"
#include "basic_lib/windows_version.h"
#include "image/tests/fake_thumbnail_cache.h"
#include "image/jpeg_encoder.h"
#include "support/image_fixtures.h"
#include "support/imaging.h"
#include "image/wic_factory.h"
#include "image/wic_image_loader.h"

namespace {

using test_support::CountingWindow;
using test_support::PumpFor;
using test_support::PumpUntil;
using Paths = std::vector<std::wstring>;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

const std::wstring kFolder = L"C:\\pictures";
const std::wstring kOtherFolder = L"C:\\other";

std::deque<std::wstring> TenJpegs() {
  std::deque<std::wstring> names;
  for (int i = 0; i < 10; ++i) {
    names.push_back(L"n" + std::to_wstring(i) + L".jpg");
  }
  return names;
}

Paths InFolder(const std::wstring& folder, std::initializer_list<const wchar_t*> names) {
  Paths paths;
  for (const wchar_t* name : names) {
    paths.push_back(folder + L"\\" + name);
  }
  return paths;
}

class SystemCacheTest : public ::testing::Test {
 protected:
  void TearDown() override { CAppConfig::GetInstance()->preload_enable = 1; }

  // The cache's first preload in a folder always starts without direction.
  void EnterFolder(const std::wstring& folder, int32_t direction) {
    cache_.Preload(folder, -1, {});
    cache_.set_direction(direction);
  }

  CSystemCache cache_;
};

TEST_F(SystemCacheTest, OffsetsFollowTheDirection) {
  struct Case {
    int32_t direction;
    int32_t index;
    Paths expected;
  };
  const Case cases[] = {
      {kPreloadForward, 5, InFolder(kFolder, {L"n6.jpg", L"n7.jpg", L"n8.jpg"})},
      {kPreloadBackward, 5, InFolder(kFolder, {L"n4.jpg", L"n3.jpg", L"n2.jpg"})},
      {kPreloadNone, 5, InFolder(kFolder, {L"n6.jpg", L"n4.jpg", L"n7.jpg", L"n8.jpg"})},
      {kPreloadNone, 0, InFolder(kFolder, {L"n1.jpg", L"n2.jpg", L"n3.jpg"})},
      {kPreloadForward, 8, InFolder(kFolder, {L"n9.jpg"})},
      {kPreloadBackward, 1, InFolder(kFolder, {L"n0.jpg"})},
      {kPreloadNone, 9, InFolder(kFolder, {L"n8.jpg"})},
  };
  for (const Case& c : cases) {
    EnterFolder(kFolder, c.direction);
    cache_.Preload(kFolder, c.index, TenJpegs());
    EXPECT_EQ(c.expected, cache_.QueuedPaths()) << c.direction << " at " << c.index;
    // Not resumed: nothing has started.
    EXPECT_EQ(0u, cache_.running_count());
  }
}

TEST_F(SystemCacheTest, OnlyFormatsTheCacheKnowsArePreloaded) {
  const std::deque<std::wstring> names = {L"a.jpg", L"b.psd", L"c.cr2", L"d.webp",
                                          L"e.png", L"f.BMP", L"g.ico", L"h.tif",
                                          L"i.gif", L"j.nef", L"k.jpeg"};
  EnterFolder(kFolder, kPreloadForward);
  cache_.Preload(kFolder, 0, names);
  EXPECT_TRUE(cache_.QueuedPaths().empty());

  EnterFolder(kFolder, kPreloadNone);
  cache_.Preload(kFolder, 3, names);
  EXPECT_EQ(InFolder(kFolder, {L"e.png", L"f.BMP"}), cache_.QueuedPaths());

  EnterFolder(kFolder, kPreloadForward);
  cache_.Preload(kFolder, 6, names);
  EXPECT_EQ(InFolder(kFolder, {L"h.tif", L"i.gif"}), cache_.QueuedPaths());

  // Phones' HEIF and AVIF photos are decoded by the external module only.
  EnterFolder(kFolder, kPreloadForward);
  cache_.Preload(kFolder, 0, {L"a.jpg", L"b.heic", L"c.HEIF", L"d.avif", L"e.hif"});
  EXPECT_TRUE(cache_.QueuedPaths().empty());
}

TEST_F(SystemCacheTest, AnotherFolderForgetsTheDirection) {
  EnterFolder(kFolder, kPreloadBackward);
  cache_.Preload(kOtherFolder, 5, TenJpegs());
  EXPECT_EQ(kPreloadNone, cache_.direction());
  EXPECT_EQ(InFolder(kOtherFolder, {L"n6.jpg", L"n4.jpg", L"n7.jpg", L"n8.jpg"}),
            cache_.QueuedPaths());
}

TEST_F(SystemCacheTest, NothingStartsBeforeResumeOrWhileDisabled) {
  CAppConfig::GetInstance()->preload_enable = 0;
  cache_.Preload(kFolder, 5, TenJpegs());
  cache_.Resume();
  PumpFor(100);
  EXPECT_EQ(0u, cache_.running_count());
  EXPECT_EQ(4u, cache_.pending_count());
  EXPECT_TRUE(cache_.cached_names().empty());
}

TEST_F(SystemCacheTest, EachFileIsPreloadedOnceWhileInTheFolder) {
  cache_.Preload(kFolder, 5, TenJpegs());
  EXPECT_EQ(0u, cache_.running_count());
  cache_.Resume();
  EXPECT_EQ(1u, cache_.running_count());  // one at a time
  ASSERT_TRUE(PumpUntil([&] { return cache_.QueuedPaths().empty(); }));
  EXPECT_EQ(std::set<std::wstring>({L"n4.jpg", L"n6.jpg", L"n7.jpg", L"n8.jpg"}),
            cache_.cached_names());

  // One step on and one back: only the picture not yet seen is asked for.
  cache_.set_direction(kPreloadForward);
  cache_.Preload(kFolder, 6, TenJpegs());
  EXPECT_EQ(InFolder(kFolder, {L"n9.jpg"}), cache_.QueuedPaths());
  ASSERT_TRUE(PumpUntil([&] { return cache_.QueuedPaths().empty(); }));
  cache_.set_direction(kPreloadBackward);
  cache_.Preload(kFolder, 5, TenJpegs());
  EXPECT_EQ(InFolder(kFolder, {L"n3.jpg", L"n2.jpg"}), cache_.QueuedPaths());
  ASSERT_TRUE(PumpUntil([&] { return cache_.QueuedPaths().empty(); }));

  // Coming back from another folder preloads again.
  cache_.Preload(kOtherFolder, 0, TenJpegs());
  ASSERT_TRUE(PumpUntil([&] { return cache_.QueuedPaths().empty(); }));
  cache_.Preload(kFolder, 5, TenJpegs());
  EXPECT_EQ(4u, cache_.QueuedPaths().size());
}

TEST_F(SystemCacheTest, WatchingARunningPreloadReportsItsEnd) {
  CountingWindow view(view_render::UM_SYSTEM_CACHE_READY);
  cache_.Resume();
  cache_.Preload(kFolder, 5, TenJpegs());
  // The first preload has started; its completion waits for this thread.
  ASSERT_EQ(1u, cache_.running_count());
  EXPECT_FALSE(cache_.WatchPreload(view.hwnd, kFolder + L"\\n4.jpg"));  // still pending
  EXPECT_FALSE(cache_.WatchPreload(view.hwnd, kFolder + L"\\N6.jpg"));  // case matters
  EXPECT_TRUE(cache_.WatchPreload(view.hwnd, kFolder + L"\\n6.jpg"));
  ASSERT_TRUE(PumpUntil([&] { return view.count == 1; }));
  ASSERT_TRUE(PumpUntil([&] { return cache_.QueuedPaths().empty(); }));
  EXPECT_EQ(1, view.count);
  EXPECT_FALSE(cache_.WatchPreload(view.hwnd, kFolder + L"\\n6.jpg"));
}

TEST_F(SystemCacheTest, PreloadForAClosedViewCompletesQuietly) {
  auto view = std::make_unique<CountingWindow>(view_render::UM_SYSTEM_CACHE_READY);
  cache_.Resume();
  cache_.Preload(kFolder, 0, TenJpegs());
  ASSERT_TRUE(cache_.WatchPreload(view->hwnd, kFolder + L"\\n1.jpg"));
  view.reset();
  ASSERT_TRUE(PumpUntil([&] { return cache_.QueuedPaths().empty(); }));
  EXPECT_EQ(0u, cache_.running_count());
}

// A solid width x height picture in memory.
ComPtr<IWICBitmapSource> SolidBitmap(UINT width, UINT height, uint8_t b, uint8_t g, uint8_t r) {
  std::vector<uint8_t> pixels(size_t{width} * height * 4);
  for (size_t i = 0; i < pixels.size(); i += 4) {
    pixels[i] = b;
    pixels[i + 1] = g;
    pixels[i + 2] = r;
    pixels[i + 3] = 255;
  }
  ComPtr<IWICBitmap> bitmap;
  CWICFactory::Get()->CreateBitmapFromMemory(width, height, GUID_WICPixelFormat32bppBGRA, width * 4,
                                             static_cast<UINT>(pixels.size()), pixels.data(),
                                             bitmap.Receive());
  return bitmap;
}

struct BitmapPixels {
  LONG width = 0;
  LONG height = 0;
  std::vector<uint8_t> bgrx;
};

BitmapPixels ReadBitmap(HBITMAP bitmap) {
  BitmapPixels result;
  BITMAP info = {};
  if (!GetObjectW(bitmap, sizeof(info), &info)) {
    return result;
  }
  result.width = info.bmWidth;
  result.height = info.bmHeight;
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(header.bmiHeader);
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  result.bgrx.resize(size_t{static_cast<size_t>(info.bmWidth)} * info.bmHeight * 4);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, info.bmHeight, result.bgrx.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return result;
}

TEST(CachedFitBitmap, DisplayBitmapIsRenderedAndJudgedByItsWidth) {
  ComPtr<IWICBitmapSource> display = SolidBitmap(200, 100, 10, 20, 230);
  ASSERT_TRUE(display);
  CFitBitmapSource picture;
  picture.path = L"C:\\does not matter.jpg";
  picture.use_display_bitmap = true;
  picture.display_bitmap = display.Get();

  HBITMAP out = nullptr;
  EXPECT_TRUE(CSystemCache::GetCachedFitBitmap(picture, 100, 50, out));
  ASSERT_NE(nullptr, out);
  BitmapPixels pixels = ReadBitmap(out);
  EXPECT_EQ(100, pixels.width);
  EXPECT_EQ(50, pixels.height);
  ASSERT_FALSE(pixels.bgrx.empty());
  const size_t middle = (size_t{25} * 100 + 50) * 4;
  EXPECT_NEAR(10, pixels.bgrx[middle], 2);
  EXPECT_NEAR(20, pixels.bgrx[middle + 1], 2);
  EXPECT_NEAR(230, pixels.bgrx[middle + 2], 2);

  // Wider than the display bitmap: a preview, not the final bitmap.
  EXPECT_FALSE(CSystemCache::GetCachedFitBitmap(picture, 400, 200, out));
  ASSERT_NE(nullptr, out);
  EXPECT_EQ(400, ReadBitmap(out).width);
  DeleteObject(out);

  picture.display_bitmap = nullptr;
  out = nullptr;
  EXPECT_FALSE(CSystemCache::GetCachedFitBitmap(picture, 100, 50, out));
  EXPECT_EQ(nullptr, out);
}

TEST(CachedFitBitmap, WithoutAThumbnailCacheTheFileMustBeDecoded) {
  test_support::ScratchFolder folder(L"fit");
  const std::wstring path = folder.File(L"photo.jpg");
  ASSERT_TRUE(test_support::WriteFileBytes(path, "not really a picture"));
  for (const std::wstring& name : {path, folder.File(L"layers.psd")}) {
    CFitBitmapSource picture;
    picture.path = name;
    HBITMAP out = nullptr;
    EXPECT_FALSE(CSystemCache::GetCachedFitBitmap(picture, 64, 64, out)) << name.c_str();
    EXPECT_EQ(nullptr, out);
  }
}

// The in-memory neighbour preload: fit bitmaps of large pictures next to the
// current one, rendered ahead within the memory budget.
class PreloadMemoryTest : public ::testing::Test {
 protected:
  static constexpr int kViewWidth = 400;
  static constexpr int kViewHeight = 300;
  // 1600 x 1400 pictures fit a 400 x 300 view at 342 x 300: 410,400 bytes.
  static constexpr UINT kFitWidth = 342;
  static constexpr UINT kFitHeight = 300;

  void SetUp() override {
    CAppConfig::GetInstance()->preload_memory_mb = 64;
    ASSERT_TRUE(WriteLargeJpeg(folder_.File(L"n0.jpg")));
    const std::wstring first = folder_.File(L"n0.jpg");
    for (int i = 1; i < 10; ++i) {
      ASSERT_TRUE(CopyFileW(first.c_str(), Path(i).c_str(), FALSE));
    }
    cache_.Preload(folder_.path(), -1, {});
    cache_.set_direction(kPreloadForward);
    cache_.set_view_size(kViewWidth, kViewHeight);
  }
  void TearDown() override { CAppConfig::GetInstance()->preload_memory_mb = 64; }

  std::wstring Path(int i) const { return folder_.File(L"n" + std::to_wstring(i) + L".jpg"); }

  // A large picture in four coloured quarters.
  static bool WriteLargeJpeg(const std::wstring& path) {
    const UINT width = 1600;
    const UINT height = 1400;
    std::vector<uint8_t> pixels(size_t{width} * height * 4);
    for (UINT y = 0; y < height; ++y) {
      for (UINT x = 0; x < width; ++x) {
        uint8_t* p = &pixels[(size_t{y} * width + x) * 4];
        p[0] = x < width / 2 ? 40 : 220;
        p[1] = y < height / 2 ? 60 : 200;
        p[2] = static_cast<uint8_t>((x + y) % 256);
        p[3] = 255;
      }
    }
    ComPtr<IWICBitmap> bitmap;
    ComPtr<IStream> stream;
    return SUCCEEDED(CWICFactory::Get()->CreateBitmapFromMemory(
               width, height, GUID_WICPixelFormat32bppBGRA, width * 4,
               static_cast<UINT>(pixels.size()), pixels.data(), bitmap.Receive())) &&
           SUCCEEDED(SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE,
                                            FILE_ATTRIBUTE_NORMAL, TRUE, nullptr,
                                            stream.Receive())) &&
           CJpegEncoder::Encode(bitmap.Get(), 90, {}, stream.Get());
  }

  bool WaitForPreloads() {
    return PumpUntil([&] { return cache_.QueuedPaths().empty(); }, 60000);
  }

  test_support::ScratchFolder folder_{L"preload_memory"};
  CSystemCache cache_;
};

TEST_F(PreloadMemoryTest, NearestNeighboursAreRenderedWithinTheBudget) {
  // Room for two of the three forward neighbours.
  CAppConfig::GetInstance()->preload_memory_mb = 1;
  cache_.Preload(folder_.path(), 0, TenJpegs());
  cache_.Resume();
  ASSERT_TRUE(WaitForPreloads());
  CFitBitmapStore& memory = cache_.memory();
  EXPECT_EQ(memory.count(), 2u);
  EXPECT_LE(memory.bytes(), size_t{1} << 20);
  EXPECT_TRUE(memory.Has(Path(1)));
  EXPECT_TRUE(memory.Has(Path(2)));
  EXPECT_FALSE(memory.Has(Path(3)));

  // A smaller budget lets the farther one go first.
  memory.set_budget(500000);
  EXPECT_TRUE(memory.Has(Path(1)));
  EXPECT_FALSE(memory.Has(Path(2)));
}

TEST_F(PreloadMemoryTest, ThePreloadedBitmapIsTheFitView) {
  cache_.Preload(folder_.path(), 0, TenJpegs());
  cache_.Resume();
  ASSERT_TRUE(WaitForPreloads());
  const CDisplayOptions options = CDisplayOptions::Current();
  HBITMAP preloaded = nullptr;
  // Another size or other display options do not match.
  EXPECT_FALSE(cache_.memory().Take(Path(1), kFitWidth + 1, kFitHeight, options, preloaded));
  CDisplayOptions other = options;
  other.effect = options.effect + 1;
  EXPECT_FALSE(cache_.memory().Take(Path(1), kFitWidth, kFitHeight, other, preloaded));
  ASSERT_TRUE(cache_.memory().Take(Path(1), kFitWidth, kFitHeight, options, preloaded));
  EXPECT_FALSE(cache_.memory().Has(Path(1))) << "handed over, not kept twice";

  HBITMAP direct = nullptr;
  CWICImageLoader loader(Path(1));
  ASSERT_TRUE(loader.RenderToBitmap(kFitWidth, kFitHeight, options, direct));
  const test_support::Pixels a = test_support::ReadHBitmap(preloaded);
  const test_support::Pixels b = test_support::ReadHBitmap(direct);
  DeleteObject(preloaded);
  DeleteObject(direct);
  ASSERT_EQ(a.width, kFitWidth);
  ASSERT_EQ(a.height, kFitHeight);
  EXPECT_EQ(a.bgra, b.bgra);
}

TEST_F(PreloadMemoryTest, AChangedFileIsNotTakenFromMemory) {
  cache_.Preload(folder_.path(), 0, TenJpegs());
  cache_.Resume();
  ASSERT_TRUE(WaitForPreloads());
  ASSERT_TRUE(cache_.memory().Has(Path(1)));
  HANDLE file = CreateFileW(Path(1).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME later = {};
  GetSystemTimeAsFileTime(&later);
  later.dwHighDateTime += 1;
  SetFileTime(file, nullptr, nullptr, &later);
  CloseHandle(file);
  HBITMAP out = nullptr;
  EXPECT_FALSE(
      cache_.memory().Take(Path(1), kFitWidth, kFitHeight, CDisplayOptions::Current(), out));
  EXPECT_EQ(out, nullptr);
}

TEST_F(PreloadMemoryTest, AJumpCancelsThePreloadsAndDropsTheirBitmaps) {
  cache_.Preload(folder_.path(), 0, TenJpegs());
  cache_.Resume();
  ASSERT_TRUE(PumpUntil([&] { return cache_.running_count() == 1; }));
  // A jump to the other end while the first neighbour is being rendered.
  cache_.Preload(folder_.path(), 5, TenJpegs());
  ASSERT_TRUE(WaitForPreloads());
  CFitBitmapStore& memory = cache_.memory();
  for (int i = 1; i <= 4; ++i) {
    EXPECT_FALSE(memory.Has(Path(i))) << i;
  }
  for (int i = 6; i <= 8; ++i) {
    EXPECT_TRUE(memory.Has(Path(i))) << i;
  }
  // Another jump drops what was kept for the old position at once.
  cache_.Preload(folder_.path(), 0, TenJpegs());
  for (int i = 6; i <= 8; ++i) {
    EXPECT_FALSE(memory.Has(Path(i))) << i;
  }
  ASSERT_TRUE(WaitForPreloads());
}

// Stepping onto the neighbour being rendered lets its preload finish: the
// view takes that bitmap instead of decoding the picture again.
TEST_F(PreloadMemoryTest, SteppingOntoTheNeighbourBeingRenderedKeepsItsPreload) {
  cache_.Preload(folder_.path(), 0, TenJpegs());
  cache_.Resume();
  ASSERT_TRUE(PumpUntil([&] { return cache_.running_count() == 1; }));
  ASSERT_FALSE(cache_.memory().Has(Path(1))) << "still being rendered";
  cache_.Preload(folder_.path(), 1, TenJpegs());
  ASSERT_TRUE(WaitForPreloads());
  EXPECT_TRUE(cache_.memory().Has(Path(1)));
}

// Neighbours with nothing to keep (here: small pictures, shown without a
// preload) are rendered once, not again at every step.
TEST_F(PreloadMemoryTest, NeighboursWithNothingToKeepAreNotRenderedAgain) {
  test_support::ScratchFolder small(L"preload_small");
  std::deque<std::wstring> names;
  for (int i = 0; i < 6; ++i) {
    names.push_back(L"s" + std::to_wstring(i) + L".jpg");
    ASSERT_TRUE(test_support::WriteSolidPicture(small.File(names.back()), 64, 48, RGB(90, 90, 90)));
  }
  cache_.Preload(small.path(), 0, names);
  cache_.Resume();
  ASSERT_TRUE(WaitForPreloads());
  EXPECT_EQ(cache_.memory().count(), 0u);
  cache_.Preload(small.path(), 1, names);
  const std::vector<std::wstring> queued = cache_.QueuedPaths();
  for (const wchar_t* name : {L"s2.jpg", L"s3.jpg"}) {
    EXPECT_EQ(std::count(queued.begin(), queued.end(), small.File(name)), 0) << name;
  }
  EXPECT_EQ(std::count(queued.begin(), queued.end(), small.File(L"s4.jpg")), 1)
      << "the newly reached neighbour";
  ASSERT_TRUE(WaitForPreloads());
}

TEST_F(PreloadMemoryTest, NoBudgetRendersNothing) {
  CAppConfig::GetInstance()->preload_memory_mb = 0;
  cache_.Preload(folder_.path(), 0, TenJpegs());
  cache_.Resume();
  ASSERT_TRUE(WaitForPreloads());
  EXPECT_EQ(cache_.memory().count(), 0u);
  // The system cache is still warmed once a name.
  EXPECT_EQ(cache_.cached_names().size(), 3u);
}

TEST(FitBitmapStoreTest, KeepsOneBitmapAPathAndCountsItsBytes) {
  CFitBitmapStore store;
  store.set_budget(1000);
  const FILETIME written = {};
  HDC screen = GetDC(nullptr);
  auto bitmap = [&](int w, int h) { return CreateCompatibleBitmap(screen, w, h); };
  EXPECT_TRUE(store.Put(L"a", 10, 10, CDisplayOptions(), written, bitmap(10, 10)));
  EXPECT_TRUE(store.Put(L"a", 10, 20, CDisplayOptions(), written, bitmap(10, 20)));
  EXPECT_EQ(store.count(), 1u);
  EXPECT_EQ(store.bytes(), 800u);
  EXPECT_FALSE(store.Put(L"b", 10, 10, CDisplayOptions(), written, bitmap(10, 10)))
      << "over the budget";
  EXPECT_FALSE(store.Put(L"c", 20, 20, CDisplayOptions(), written, bitmap(20, 20)))
      << "larger than the whole budget";
  store.Retain({L"b"});
  EXPECT_EQ(store.count(), 0u);
  EXPECT_EQ(store.bytes(), 0u);
  ReleaseDC(nullptr, screen);
}

TEST(CachedFitBitmap, TheCachedThumbnailIsFinalAFastPreviewIsNot) {
  using test_support::ThumbnailAnswer;
  using test_support::ThumbnailCall;
  test_support::ScratchFolder folder(L"fit-cache");
  const std::wstring path = folder.File(L"photo.jpg");
  ASSERT_TRUE(test_support::WriteFileBytes(path, "the cache answers for it"));
  CWindowsVersion::OverrideForTesting(10, 0);
  struct Case {
    bool held;
    std::vector<ThumbnailCall> calls;
    bool final;
    uint8_t red;  // of the bitmap made
  };
  const Case cases[] = {
      {true, {{1280, WTS_INCACHEONLY}}, true, 220},
      {false, {{1280, WTS_INCACHEONLY}, {256, WTS_FASTEXTRACT}}, false, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.held ? "held" : "not held");
    test_support::CFakeThumbnailCache cache([&c](UINT, WTS_FLAGS flags) {
      if (flags & WTS_FASTEXTRACT) {
        return ThumbnailAnswer{256, 128, RGB(40, 40, 200), WTS_DEFAULT};
      }
      return c.held ? ThumbnailAnswer{1280, 640, RGB(220, 20, 20), WTS_CACHED} : ThumbnailAnswer{};
    });
    ASSERT_TRUE(cache.registered());
    CFitBitmapSource picture;
    picture.path = path;
    HBITMAP out = nullptr;
    EXPECT_EQ(c.final, CSystemCache::GetCachedFitBitmap(picture, 400, 200, out));
    EXPECT_EQ(c.calls, cache.calls());
    ASSERT_NE(nullptr, out) << "the thumbnail shows until the fit bitmap is made";
    const BitmapPixels pixels = ReadBitmap(out);
    DeleteObject(out);
    ASSERT_EQ(400, pixels.width);
    ASSERT_EQ(200, pixels.height);
    const size_t middle = (size_t{100} * 400 + 200) * 4;
    EXPECT_NEAR(c.red, pixels.bgrx[middle + 2], 3);
  }
  CWindowsVersion::OverrideForTesting(0, 0);
}

}  // namespace
