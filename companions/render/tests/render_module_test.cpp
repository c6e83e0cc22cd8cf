#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/saving.h"
#include "basic_lib/win_util.h"
#include "support/test_paths.h"

namespace {

using test_support::FilesIn;
using test_support::Fixture;
using test_support::ReadFileBytes;
using test_support::ScratchFolder;
using test_support::WriteFileBytes;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

using ConvertImgFn = int(__stdcall*)(const wchar_t*, const wchar_t*, int, int);

// The module as the viewer finds it: graph\Render.dll in the program folder.
class RenderModule : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW((test_support::DistFolder() + L"\\graph\\Render.dll").c_str());
    ASSERT_NE(module_, nullptr);
    convert_ = win_util::GetProcAddressAs<ConvertImgFn>(module_, "ConvertImg");
    ASSERT_NE(convert_, nullptr);
  }
  void TearDown() override { FreeLibrary(module_); }

  int Convert(const std::wstring& source, const std::wstring& target, int quality,
              int orientation) {
    return convert_(source.c_str(), target.c_str(), quality, orientation);
  }

  HMODULE module_ = nullptr;
  ConvertImgFn convert_ = nullptr;
  ScratchFolder scratch_{L"render"};
};

TEST_F(RenderModule, WritesTheFormatOfTheTargetsExtension) {
  const struct {
    const wchar_t* name;
    GUID container;
  } targets[] = {{L"out.png", GUID_ContainerFormatPng},
                 {L"out.tiff", GUID_ContainerFormatTiff},
                 {L"out.bmp", GUID_ContainerFormatBmp},
                 {L"out.jpg", GUID_ContainerFormatJpeg}};
  const std::wstring source = scratch_.File(L"blocks.png");
  ASSERT_TRUE(test_support::WriteBlocks(source, GUID_ContainerFormatPng));
  for (const auto& target : targets) {
    const std::wstring path = scratch_.File(target.name);
    ASSERT_EQ(Convert(source, path, 90, 0), 1);
    EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(path), target.container));
    EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(path), 1));
  }
  EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(scratch_.File(L"out.jpg"))), 90);
  ASSERT_EQ(Convert(source, scratch_.File(L"q50.jpg"), 50, 0), 1);
  EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(scratch_.File(L"q50.jpg"))), 50);
}

TEST_F(RenderModule, TurnsThePictureUprightByTheOrientationGiven) {
  const std::wstring source = Fixture(L"orientation_6.jpg");
  // As the viewer shows it (6), as stored (0), and as the file says (-1).
  const struct {
    int orientation;
    int shown_as;
  } cases[] = {{6, 6}, {0, 1}, {-1, 6}, {3, 3}, {42, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orientation);
    const std::wstring png = scratch_.File(L"turned" + std::to_wstring(c.orientation) + L".png");
    ASSERT_EQ(Convert(source, png, 80, c.orientation), 1);
    EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(png), c.shown_as));
  }
}

TEST_F(RenderModule, ExistingTargetIsReplacedOnlyByACompleteFile) {
  const std::wstring source = scratch_.File(L"blocks.png");
  ASSERT_TRUE(test_support::WriteBlocks(source, GUID_ContainerFormatPng));
  const std::wstring target = scratch_.File(L"target.bmp");
  ASSERT_TRUE(WriteFileBytes(target, "old target"));
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));

  // A source that does not decode leaves the target as it was.
  const std::wstring broken = scratch_.File(L"broken.png");
  ASSERT_TRUE(WriteFileBytes(broken, "\x89PNG\r\n\x1a\n truncated"));
  EXPECT_EQ(Convert(broken, target, 80, 0), 0);
  EXPECT_EQ(ReadFileBytes(target), "old target");

  // A target another program holds stays whole, and no temporary is left.
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Convert(source, target, 80, 0), 0);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(target), "old target");
  EXPECT_EQ(FilesIn(scratch_.path()).size(), 3u);

  ASSERT_EQ(Convert(source, target, 80, 0), 1);
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(target), 1));
  EXPECT_EQ(FilesIn(scratch_.path()).size(), 3u);
}

TEST_F(RenderModule, BadArgumentsWriteNothing) {
  const std::wstring source = scratch_.File(L"blocks.png");
  ASSERT_TRUE(test_support::WriteBlocks(source, GUID_ContainerFormatPng));
  EXPECT_EQ(convert_(nullptr, scratch_.File(L"a.png").c_str(), 80, 0), 0);
  EXPECT_EQ(convert_(source.c_str(), nullptr, 80, 0), 0);
  EXPECT_EQ(Convert(scratch_.File(L"missing.png"), scratch_.File(L"b.png"), 80, 0), 0);
  EXPECT_EQ(Convert(source, scratch_.File(L"c.webp"), 80, 0), 0);
  EXPECT_EQ(Convert(source, scratch_.File(L"no\\folder\\d.png"), 80, 0), 0);
  EXPECT_EQ(FilesIn(scratch_.path()), std::set<std::wstring>{L"blocks.png"});
  // Out-of-range qualities are clamped, not refused.
  EXPECT_EQ(Convert(source, scratch_.File(L"e.jpg"), 250, 0), 1);
  EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(scratch_.File(L"e.jpg"))), 100);
}

}  // namespace
