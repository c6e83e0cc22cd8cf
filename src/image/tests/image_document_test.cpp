#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "config/app_config.h"
#include "image/convert_command.h"
#include "image/image_document.h"
#include "image/jpeg_encoder.h"
#include "image/save_as_command.h"
#include "support/exif_builder.h"
#include "support/saving.h"
#include "basic_lib/windows_version.h"
#include "l10n/lang_string.h"
#include "basic_lib/win_util.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"
#include "support/windows_versions.h"
#include "widgets/window_title.h"

namespace {

using test_support::ExifOfFile;
using test_support::FilesIn;
using test_support::Fixture;
using test_support::ReadFileBytes;
using test_support::ScratchFolder;
using test_support::WriteFileBytes;
using win_util::PathExists;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override { config_ = CAppConfig::GetInstance(); }
  void TearDown() override {
    CWindowsVersion::OverrideForTesting(0, 0);
    config_->rotate_auto_save = 0;
    config_->orientation_by_tag = 0;
    config_->save_jpeg_quality = 80;
    document_.Close();
    CImageDocument::Instance()->Close();
  }

  // A copy of a fixture in the scratch folder.
  std::wstring Copy(const std::wstring& fixture, const std::wstring& name) {
    const std::wstring path = scratch_.File(name);
    EXPECT_TRUE(WriteFileBytes(path, ReadFileBytes(Fixture(fixture))));
    return path;
  }
  std::wstring Blocks(const std::wstring& name, const GUID& container) {
    const std::wstring path = scratch_.File(name);
    EXPECT_TRUE(test_support::WriteBlocks(path, container));
    return path;
  }

  skin_test::SkinEnvironment skins_;
  CAppConfig* config_ = nullptr;
  ScratchFolder scratch_{L"document"};
  CImageDocument document_;
};

// ---- Opening ----

TEST_F(DocumentTest, AMissingFileLeavesTheDocumentOpenWithoutALoader) {
  const std::wstring path = scratch_.File(L"missing.jpg");
  document_.Open(path);
  EXPECT_EQ(document_.GetPath(), path);
  EXPECT_FALSE(document_.GetLoader());
  const SIZE size = document_.GetOrientedSize();
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 0);
  CWindowTitle* title = CWindowTitle::GetInstance();
  EXPECT_EQ(title->file_name(), L"missing.jpg");
  EXPECT_EQ(title->width(), 0);
  EXPECT_EQ(title->height(), 0);
}

TEST_F(DocumentTest, OpeningCanonicalisesThePathAndTellsTheTitle) {
  CreateDirectoryW(scratch_.File(L"sub").c_str(), nullptr);
  Copy(L"exif_II.jpg", L"dated.jpg");
  document_.Open(scratch_.File(L"sub\\..\\dated.jpg"));
  EXPECT_EQ(document_.GetPath(), scratch_.File(L"dated.jpg"));
  ASSERT_TRUE(document_.GetLoader());
  CWindowTitle* title = CWindowTitle::GetInstance();
  EXPECT_EQ(title->file_name(), L"dated.jpg");
  EXPECT_EQ(title->width(), 8);
  EXPECT_EQ(title->height(), 8);
  EXPECT_NE(title->TitleLine().find(L"2023"), std::wstring::npos) << title->TitleLine();
}

TEST(DocumentShape, LongImages) {
  const struct {
    LONG width, height;
    bool is_long;
  } cases[] = {{1000, 4001, true},
               {1000, 4000, false},
               {1280, 9000, false},
               {1279, 9000, true},
               {0, 0, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(CImageDocument::IsLongImageSize({c.width, c.height}), c.is_long)
        << c.width << " x " << c.height;
  }
}

HBITMAP MakeBitmap(int width, int height) {
  const BITMAPINFO info = test_support::TopDownBitmapInfo(width, height);
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

TEST_F(DocumentTest, TheWidestDisplayBitmapIsKept) {
  EXPECT_FALSE(document_.use_display_bitmap());
  document_.SetDisplayBitmap(nullptr);
  EXPECT_TRUE(document_.use_display_bitmap());
  EXPECT_FALSE(document_.display_bitmap());
  HBITMAP wide = MakeBitmap(800, 600);
  HBITMAP narrow = MakeBitmap(600, 450);
  document_.SetDisplayBitmap(wide);
  document_.SetDisplayBitmap(narrow);
  UINT width = 0;
  UINT height = 0;
  ASSERT_TRUE(document_.display_bitmap());
  document_.display_bitmap()->GetSize(&width, &height);
  EXPECT_EQ(width, 800u);
  DeleteObject(wide);
  DeleteObject(narrow);
  // A new picture starts without one.
  document_.Open(scratch_.File(L"missing.png"));
  EXPECT_FALSE(document_.use_display_bitmap());
  EXPECT_FALSE(document_.display_bitmap());
}

// ---- Rotating ----

TEST_F(DocumentTest, RotationWithoutSavingTurnsOnlyTheView) {
  const std::wstring path = Copy(L"orientation_1.jpg", L"turn.jpg");
  const std::string original = ReadFileBytes(path);
  document_.Open(path);
  HBITMAP shown = MakeBitmap(16, 24);
  document_.SetDisplayBitmap(shown);
  DeleteObject(shown);
  document_.Rotate(true);
  EXPECT_EQ(document_.GetLoader()->exif().orientation, 6);
  EXPECT_EQ(CWindowTitle::GetInstance()->width(), 24);
  EXPECT_EQ(CWindowTitle::GetInstance()->height(), 16);
  UINT width = 0;
  UINT height = 0;
  document_.display_bitmap()->GetSize(&width, &height);
  EXPECT_EQ(width, 24u);
  EXPECT_EQ(height, 16u);
  for (int i = 0; i < 3; ++i) {
    document_.Rotate(true);
  }
  EXPECT_EQ(document_.GetLoader()->exif().orientation, 1);
  document_.Rotate(false);
  EXPECT_EQ(document_.GetLoader()->exif().orientation, 8);
  EXPECT_EQ(ReadFileBytes(path), original);
}

// Windows 8 and later rewrite the tag in place (the platform's fast metadata
// encoder, or the program itself where the platform has none); earlier
// systems save the rotation as turned pixels at quality 95.
TEST_F(DocumentTest, RotatedJpegIsSavedBackWithItsExif) {
  test_support::ForEachWindowsVersion([&](const test_support::WindowsVersionCase& system) {
    config_->rotate_auto_save = 1;
    config_->orientation_by_tag = 1;
    const std::wstring path = Copy(L"orientation_1.jpg", L"saved_turn.jpg");
    const std::wstring with_exif = Copy(L"exif_MM.jpg", L"saved_exif.jpg");
    const std::string original = ReadFileBytes(path);

    document_.Open(path);
    document_.Rotate(true);
    const ExifOfFile exif(path);
    ASSERT_TRUE(exif.found);
    if (system.major >= 8) {
      EXPECT_EQ(exif.Orientation(), 6);
      EXPECT_EQ(ReadFileBytes(path).size(), original.size()) << "only the tag changed";
      EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(path), 1));
    } else {
      EXPECT_EQ(exif.Orientation(), 1);
      EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(path), 6));
      if (!CJpegEncoder::PlatformHonoursQuality()) {
        EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(path)), 95);
      }
    }
    // The document shows the saved file, the same way up.
    ASSERT_TRUE(document_.GetLoader());
    EXPECT_TRUE(document_.GetLoader()->opened_from_file());
    EXPECT_EQ(document_.GetOrientedSize().cx, 24);
    EXPECT_EQ(FilesIn(scratch_.path()).size(), 2u);

    document_.Open(with_exif);
    document_.Rotate(false);
    const ExifOfFile kept(with_exif);
    ASSERT_TRUE(kept.found);
    EXPECT_EQ(kept.Text(CExifParser::kPrimary, 271), "Maker Co");
    EXPECT_EQ(kept.Text(CExifParser::kExif, 36867), "2023:07:14 09:26:53");
    document_.Close();
  });

  // A file without a tag to rewrite is saved as turned pixels there too.
  CWindowsVersion::OverrideForTesting(10, 0);
  const std::wstring plain = Copy(L"blocks.jpg", L"plain_turn.jpg");
  document_.Open(plain);
  document_.Rotate(true);
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(plain), 6));
  EXPECT_EQ(document_.GetOrientedSize().cx, 24);
}

TEST_F(DocumentTest, RotatedPngIsSavedAsTurnedPixels) {
  config_->rotate_auto_save = 1;
  const std::wstring path = Blocks(L"turn.png", GUID_ContainerFormatPng);
  document_.Open(path);
  document_.Rotate(true);
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(path), 6));
  EXPECT_EQ(document_.GetOrientedSize().cx, 24);
}

TEST_F(DocumentTest, FormatsTheProgramDoesNotWriteTurnOnlyInTheView) {
  config_->rotate_auto_save = 1;
  // A PNG under a Photoshop name: decoded by its content, written never.
  const std::wstring path = Blocks(L"layers.psd", GUID_ContainerFormatPng);
  const std::string original = ReadFileBytes(path);
  document_.Open(path);
  ASSERT_TRUE(document_.GetLoader());
  document_.Rotate(true);
  EXPECT_EQ(document_.GetOrientedSize().cx, 24);
  EXPECT_EQ(ReadFileBytes(path), original);
}

// ---- Saving ----

TEST_F(DocumentTest, PngSavedAsJpegWithTheQualityGiven) {
  document_.Open(Blocks(L"source.png", GUID_ContainerFormatPng));
  const std::wstring target = scratch_.File(L"copy.jpg");
  ASSERT_TRUE(document_.SaveAs(target, 92));
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(target), GUID_ContainerFormatJpeg));
  if (!CJpegEncoder::PlatformHonoursQuality()) {
    EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(target)), 92);
  }
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(target), 1));
  // The document still shows the picture it had.
  EXPECT_EQ(document_.GetPath(), scratch_.File(L"source.png"));
}

TEST_F(DocumentTest, SavingOverTheShownFileReplacesItAndOpensItAgain) {
  config_->orientation_by_tag = 1;
  const std::wstring path = Copy(L"orientation_6.jpg", L"shown.jpg");
  document_.Open(path);
  // Names are compared without regard to case.
  ASSERT_TRUE(document_.SaveAs(scratch_.File(L"SHOWN.JPG"), 90));
  EXPECT_EQ(FilesIn(scratch_.path()), std::set<std::wstring>{L"shown.jpg"});
  ASSERT_TRUE(document_.GetLoader());
  EXPECT_TRUE(document_.GetLoader()->opened_from_file());
  EXPECT_EQ(document_.GetOrientedSize().cx, 24);
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(path), 6));
}

TEST_F(DocumentTest, AReadOnlyTargetIsSaved) {
  document_.Open(Blocks(L"source.png", GUID_ContainerFormatPng));
  const std::wstring target = scratch_.File(L"locked.bmp");
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(document_.SaveAs(target, 80));
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(target), 1));
}

// Starts the helper that holds a file open, as another program would.
class FileHolder {
 public:
  explicit FileHolder(const std::wstring& path) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring helper = exe;
    helper = helper.substr(0, helper.find_last_of(L'\\')) + L"\\save_kill_helper.exe";
    const std::wstring event_name = L"lumora-holder-" + std::to_wstring(GetTickCount());
    ready_ = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
    std::wstring command = L"\"" + helper + L"\" hold \"" + path + L"\" " + event_name;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (CreateProcessW(helper.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process_)) {
      held_ = WaitForSingleObject(ready_, 15000) == WAIT_OBJECT_0;
    }
  }
  ~FileHolder() {
    if (process_.hProcess) {
      TerminateProcess(process_.hProcess, 0);
      WaitForSingleObject(process_.hProcess, 5000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    CloseHandle(ready_);
  }
  bool held() const { return held_; }

 private:
  HANDLE ready_ = nullptr;
  PROCESS_INFORMATION process_ = {};
  bool held_ = false;
};

TEST_F(DocumentTest, PlacesThatCannotBeWrittenGiveTheSaveErrorAndLoseNothing) {
  const std::wstring source = Blocks(L"source.png", GUID_ContainerFormatPng);
  const std::string source_bytes = ReadFileBytes(source);
  const std::wstring held = scratch_.File(L"held.jpg");
  ASSERT_TRUE(WriteFileBytes(held, "someone else's picture"));
  FileHolder holder(held);
  ASSERT_TRUE(holder.held());
  document_.Open(source);
  const std::wstring error = GetLangString(L"FILE", L"SAVE_ERROR");
  ASSERT_FALSE(error.empty());

  const std::wstring targets[] = {
      scratch_.File(L"no_folder\\copy.jpg"),  // a folder that does not exist
      L"Z:\\proc\\lumora_copy.jpg",           // a place nobody may write
      held,                                   // a file another program holds
      scratch_.File(L"copy.webp"),            // a format without an encoder
      source,                                 // the shown file, held too
  };
  FileHolder source_holder(source);
  ASSERT_TRUE(source_holder.held());
  for (const std::wstring& target : targets) {
    SCOPED_TRACE(std::string(target.begin(), target.end()));
    skin_test::MessageBoxRecorder watcher;
    EXPECT_FALSE(document_.SaveAs(target, 80));
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, error);
  }
  EXPECT_EQ(ReadFileBytes(held), "someone else's picture");
  EXPECT_EQ(ReadFileBytes(source), source_bytes);
  EXPECT_EQ(FilesIn(scratch_.path()).size(), 2u);
  // The shown picture is still there to look at.
  ASSERT_TRUE(document_.GetLoader());
  EXPECT_EQ(document_.GetOrientedSize().cx, 16);
}

// The resize job: its request is taken on this thread, the job runs on one
// of its own.
bool RunResizeJob(const CImageDocument::CResizeRequest& request, bool& same_file) {
  bool saved = false;
  std::thread job([&] { saved = CImageDocument::SaveResized(request, same_file); });
  job.join();
  return saved;
}

TEST_F(DocumentTest, ResizedCopyHasTheSizeAndQualityAsked) {
  config_->save_jpeg_quality = 91;
  const std::wstring path = Copy(L"exif_II.jpg", L"big.jpg");
  document_.Open(path);
  bool same_file = true;
  const std::wstring target = scratch_.File(L"small.jpg");
  ASSERT_TRUE(RunResizeJob(document_.MakeResizeRequest(target, 4, 3), same_file));
  EXPECT_FALSE(same_file);
  const test_support::Pixels pixels = test_support::DecodedPixels(target);
  EXPECT_EQ(pixels.width, 4u);
  EXPECT_EQ(pixels.height, 3u);
  if (!CJpegEncoder::PlatformHonoursQuality()) {
    EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(target)), 91);
  }
  EXPECT_TRUE(document_.GetLoader()->source());
}

// A value of a LONG tag in a little-endian EXIF block.
uint32_t LongTag(const ExifOfFile& exif, CExifParser::Directory directory, uint16_t tag) {
  const CExifParser::Field* field = exif.parser.Find(directory, tag);
  if (!field || field->bytes.size() < 4) {
    return 0;
  }
  return uint32_t{field->bytes[0]} | uint32_t{field->bytes[1]} << 8 |
         uint32_t{field->bytes[2]} << 16 | uint32_t{field->bytes[3]} << 24;
}

// A photo stored turned (orientation 6) is resized and saved upright; its
// EXIF goes with it, saying orientation 1 and the new size, and the photo
// itself is left as it was.
TEST_F(DocumentTest, ResizedPhotoIsUprightAndKeepsItsExif) {
  config_->orientation_by_tag = 1;
  test_support::TiffBuilder tiff(false);
  tiff.Shorts(test_support::TiffBuilder::kPrimary, 274, {6})
      .Ascii(test_support::TiffBuilder::kPrimary, 271, "Maker Co")
      .Ascii(test_support::TiffBuilder::kExif, 36867, "2023:07:14 09:26:53")
      .Longs(test_support::TiffBuilder::kExif, 40962, {16})
      .Longs(test_support::TiffBuilder::kExif, 40963, {24});
  const std::string stored = ReadFileBytes(test_support::Fixture(L"blocks.jpg"));
  const test_support::Bytes photo =
      test_support::WithExif(test_support::Bytes(stored.begin(), stored.end()), tiff.Build());
  const std::wstring path = scratch_.File(L"turned.jpg");
  ASSERT_TRUE(WriteFileBytes(path, test_support::AsString(photo)));
  const std::string original = ReadFileBytes(path);
  document_.Open(path);
  ASSERT_EQ(document_.GetOrientedSize().cx, 24);

  const std::wstring target = scratch_.File(L"turned (1).jpg");
  bool same_file = true;
  ASSERT_TRUE(RunResizeJob(document_.MakeResizeRequest(target, 48, 32), same_file));
  EXPECT_FALSE(same_file);

  const test_support::Pixels pixels = test_support::DecodedPixels(target);
  ASSERT_EQ(pixels.width, 48u);
  ASSERT_EQ(pixels.height, 32u);
  EXPECT_TRUE(test_support::ShowsBlocksUpright(pixels, 6, 40, 16));
  const ExifOfFile exif(target);
  ASSERT_TRUE(exif.found);
  EXPECT_EQ(exif.Orientation(), 1);
  EXPECT_EQ(exif.Text(CExifParser::kPrimary, 271), "Maker Co");
  EXPECT_EQ(exif.Text(CExifParser::kExif, 36867), "2023:07:14 09:26:53");
  EXPECT_EQ(LongTag(exif, CExifParser::kExif, 40962), 48u);
  EXPECT_EQ(LongTag(exif, CExifParser::kExif, 40963), 32u);
  EXPECT_EQ(ReadFileBytes(path), original) << "the photo itself is untouched";

  // Another format gets upright pixels only.
  const std::wstring png = scratch_.File(L"turned (2).png");
  ASSERT_TRUE(RunResizeJob(document_.MakeResizeRequest(png, 24, 16), same_file));
  EXPECT_TRUE(test_support::ShowsBlocksUpright(test_support::DecodedPixels(png), 6));
  EXPECT_EQ(ReadFileBytes(path), original);
}

// Places the resized copy cannot go: the job reports failure (the window
// then shows the save error), the photo is untouched and nothing is left.
TEST_F(DocumentTest, ResizeToAPlaceThatCannotBeWrittenFailsAndLosesNothing) {
  const std::wstring path = Copy(L"exif_II.jpg", L"photo.jpg");
  const std::string original = ReadFileBytes(path);
  const std::wstring held = scratch_.File(L"held.jpg");
  ASSERT_TRUE(WriteFileBytes(held, "someone else's picture"));
  FileHolder holder(held);
  ASSERT_TRUE(holder.held());
  document_.Open(path);
  const std::wstring targets[] = {
      scratch_.File(L"no_folder\\small.jpg"),
      held,
      scratch_.File(L"small.webp"),
  };
  for (const std::wstring& target : targets) {
    SCOPED_TRACE(std::string(target.begin(), target.end()));
    bool same_file = true;
    EXPECT_FALSE(RunResizeJob(document_.MakeResizeRequest(target, 8, 6), same_file));
    EXPECT_FALSE(same_file);
  }
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_EQ(ReadFileBytes(held), "someone else's picture");
  EXPECT_EQ(FilesIn(scratch_.path()).size(), 2u);
  EXPECT_TRUE(document_.GetLoader()->source()) << "the photo is still shown";
}

TEST_F(DocumentTest, ResizeJobWorksFromItsRequestWhateverTheWindowDoesMeanwhile) {
  config_->save_jpeg_quality = 91;
  const std::wstring shown = Blocks(L"blocks.png", GUID_ContainerFormatPng);
  document_.Open(shown);
  const std::wstring target = scratch_.File(L"resized.jpg");
  const CImageDocument::CResizeRequest request = document_.MakeResizeRequest(target, 8, 12);
  // The user interface moves on before the job runs.
  config_->save_jpeg_quality = 40;
  document_.Open(Copy(L"exif_II.jpg", L"other.jpg"));

  bool same_file = true;
  ASSERT_TRUE(RunResizeJob(request, same_file));
  EXPECT_FALSE(same_file);
  const test_support::Pixels pixels = test_support::DecodedPixels(target);
  ASSERT_EQ(pixels.width, 8u);
  ASSERT_EQ(pixels.height, 12u);
  EXPECT_TRUE(test_support::ColourNear(pixels.At(1, 1), test_support::kBlocks[0][0], 40))
      << "the picture of the request";
  EXPECT_TRUE(test_support::ColourNear(pixels.At(6, 10), test_support::kBlocks[2][1], 40));
  if (!CJpegEncoder::PlatformHonoursQuality()) {
    EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(target)), 91);
  }
  EXPECT_TRUE(document_.GetLoader()->source()) << "the picture now shown is untouched";
}

TEST_F(DocumentTest, ResizingTheShownFileLeavesItForTheWindowToOpenAgain) {
  const std::wstring path = Blocks(L"shown.png", GUID_ContainerFormatPng);
  document_.Open(path);
  bool same_file = false;
  ASSERT_TRUE(
      RunResizeJob(document_.MakeResizeRequest(scratch_.File(L"Shown.PNG"), 8, 12), same_file));
  EXPECT_TRUE(same_file);
  EXPECT_FALSE(document_.GetLoader()->source());
  const test_support::Pixels pixels = test_support::DecodedPixels(path);
  EXPECT_EQ(pixels.width, 8u);
  EXPECT_EQ(pixels.height, 12u);
  EXPECT_EQ(FilesIn(scratch_.path()).size(), 1u);

  CImageDocument empty;
  EXPECT_FALSE(RunResizeJob(empty.MakeResizeRequest(path, 8, 12), same_file));
  EXPECT_FALSE(same_file);
}

// ---- Copying ----

TEST_F(DocumentTest, CopyPutsTheUprightPictureAndTheFileOnTheClipboard) {
  config_->orientation_by_tag = 1;
  const std::wstring path = Copy(L"orientation_6.jpg", L"copied.jpg");
  document_.Open(path);
  document_.CopyToClipboard();
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE dib = GetClipboardData(CF_DIB);
  ASSERT_NE(dib, nullptr);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
  EXPECT_EQ(header->biWidth, 24);
  EXPECT_EQ(header->biHeight, -16);
  EXPECT_EQ(header->biBitCount, 32);
  GlobalUnlock(dib);
  HANDLE drop = GetClipboardData(CF_HDROP);
  ASSERT_NE(drop, nullptr);
  wchar_t name[MAX_PATH] = {};
  DragQueryFileW(static_cast<HDROP>(drop), 0, name, MAX_PATH);
  EXPECT_EQ(name, path);
  CloseClipboard();

  // Without a picture the clipboard is left alone.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  document_.Open(scratch_.File(L"missing.jpg"));
  document_.CopyToClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
}

// ---- The commands ----

// Chooses as the test says, and remembers what it was offered.
class ScriptedChooser : public IConvertFormatChooser {
 public:
  ScriptedChooser(int result, int index) : result_(result), index_(index) {}
  int Choose(HWND, const std::wstring& file_name, const std::vector<std::wstring>& labels,
             int* selected_index) override {
    ++calls;
    offered_name = file_name;
    offered = labels;
    *selected_index = index_;
    return result_;
  }
  int calls = 0;
  std::wstring offered_name;
  std::vector<std::wstring> offered;

 private:
  int result_;
  int index_;
};

std::wstring RenderModule() { return test_support::DistFolder() + L"\\graph\\Render.dll"; }

TEST(ConvertLabels, OwnFormatIsLeftOut) {
  const std::vector<std::wstring> all = {L"JPEG格式 (*.jpg)", L"PNG格式 (*.png)",
                                         L"TIFF格式 (*.tiff)", L"BMP格式 (*.bmp)"};
  const struct {
    const wchar_t* extension;
    int left_out;
  } cases[] = {{L".jpe", 0},  {L".jfif", 0}, {L".jpeg", 0}, {L".png", 1}, {L".tif", 2},
               {L".tiff", 2}, {L".dib", 3},  {L".bmp", 3},  {L".psd", -1}};
  for (const auto& c : cases) {
    std::vector<std::wstring> expected = all;
    if (c.left_out >= 0) {
      expected.erase(expected.begin() + c.left_out);
    }
    EXPECT_EQ(ConvertTargetLabels(c.extension), expected);
  }
  EXPECT_EQ(ExtensionOfLabel(L"JPEG格式 (*.jpg)"), L".jpg");
  EXPECT_EQ(ExtensionOfLabel(L"TIFF格式 (*.tiff)"), L".tiff");
}

TEST_F(DocumentTest, ConvertingAJpeOffersTheOtherFormatsAndWritesTheChosenOne) {
  config_->orientation_by_tag = 1;
  const std::wstring path = Copy(L"orientation_6.jpg", L"holiday.JPE");
  CImageDocument::Instance()->Open(path);
  ScriptedChooser chooser(1, 0);
  ASSERT_TRUE(ConvertCommand(nullptr, chooser, RenderModule()));
  EXPECT_EQ(chooser.offered_name, L"holiday.JPE");
  EXPECT_EQ(chooser.offered, (std::vector<std::wstring>{L"PNG格式 (*.png)", L"TIFF格式 (*.tiff)",
                                                        L"BMP格式 (*.bmp)"}));
  // Converted as shown: turned upright.
  EXPECT_TRUE(test_support::ShowsBlocksUpright(
      test_support::DecodedPixels(scratch_.File(L"holiday.png")), 6));
  EXPECT_EQ(CImageDocument::Instance()->GetPath(), path);
}

TEST_F(DocumentTest, ConversionNeedsAChoiceAndTheModule) {
  const std::wstring path = Blocks(L"plain.png", GUID_ContainerFormatPng);
  CImageDocument::Instance()->Open(path);
  ScriptedChooser closed(8, 1);
  EXPECT_FALSE(ConvertCommand(nullptr, closed, RenderModule()));
  ScriptedChooser nothing_chosen(1, -1);
  EXPECT_FALSE(ConvertCommand(nullptr, nothing_chosen, RenderModule()));
  ScriptedChooser chosen(1, 2);
  EXPECT_FALSE(ConvertCommand(nullptr, chosen, scratch_.File(L"graph\\Render.dll")));
  EXPECT_EQ(FilesIn(scratch_.path()), std::set<std::wstring>{L"plain.png"});
  ASSERT_TRUE(ConvertCommand(nullptr, chosen, RenderModule()));
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(scratch_.File(L"plain.bmp")),
                          GUID_ContainerFormatBmp));
}

// A file already named like the converted copy is another picture: it is
// kept, and the copy gets the first free "(n)" name.
TEST_F(DocumentTest, ConversionKeepsAnotherPictureOfTheTargetName) {
  const std::wstring path = Blocks(L"trip.png", GUID_ContainerFormatPng);
  ASSERT_TRUE(WriteFileBytes(scratch_.File(L"trip.bmp"), "another picture"));
  ASSERT_TRUE(WriteFileBytes(scratch_.File(L"trip(1).bmp"), "and another"));
  CImageDocument::Instance()->Open(path);
  ScriptedChooser chosen(1, 2);
  ASSERT_TRUE(ConvertCommand(nullptr, chosen, RenderModule()));
  EXPECT_EQ(ReadFileBytes(scratch_.File(L"trip.bmp")), "another picture");
  EXPECT_EQ(ReadFileBytes(scratch_.File(L"trip(1).bmp")), "and another");
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(scratch_.File(L"trip(2).bmp")),
                          GUID_ContainerFormatBmp));
}

// Types a name into the common save dialog that this thread shows, and
// presses its OK button, as a user would.
class SaveDialogDriver {
 public:
  explicit SaveDialogDriver(std::wstring typed)
      : typed_(std::move(typed)), thread_id_(GetCurrentThreadId()), worker_([this] { Drive(); }) {}
  ~SaveDialogDriver() {
    stop_ = true;
    worker_.join();
  }
  const std::wstring& proposed() const { return proposed_; }

 private:
  static BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (IsWindowVisible(window) && lstrcmpW(class_name, L"#32770") == 0) {
      *reinterpret_cast<HWND*>(found) = window;
      return FALSE;
    }
    return TRUE;
  }
  // The visible edit box that holds the proposed name.
  static BOOL CALLBACK FindNameBox(HWND child, LPARAM found) {
    wchar_t class_name[16] = {};
    GetClassNameW(child, class_name, 16);
    if (IsWindowVisible(child) && lstrcmpiW(class_name, L"Edit") == 0 &&
        GetWindowTextLengthW(child) > 0) {
      *reinterpret_cast<HWND*>(found) = child;
      return FALSE;
    }
    return TRUE;
  }
  void Drive() {
    HWND dialog = nullptr;
    while (!stop_ && !dialog) {
      EnumThreadWindows(thread_id_, FindDialog, reinterpret_cast<LPARAM>(&dialog));
      Sleep(20);
    }
    if (!dialog) {
      return;
    }
    Sleep(300);
    HWND name_box = nullptr;
    EnumChildWindows(dialog, FindNameBox, reinterpret_cast<LPARAM>(&name_box));
    if (name_box) {
      wchar_t text[MAX_PATH] = {};
      GetWindowTextW(name_box, text, MAX_PATH);
      proposed_ = text;
      SendMessageW(name_box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed_.c_str()));
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  }

  std::wstring typed_;
  std::wstring proposed_;
  DWORD thread_id_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

TEST_F(DocumentTest, SaveAsCommandAsksForANameAndSavesThere) {
  config_->save_jpeg_quality = 93;
  EXPECT_FALSE(SaveAsCommand(nullptr)) << "nothing to save yet";
  CImageDocument::Instance()->Open(Blocks(L"shot.png", GUID_ContainerFormatPng));
  {
    // A name the program does not encode gets the chosen filter's extension.
    SaveDialogDriver driver(scratch_.File(L"typed.webp"));
    EXPECT_TRUE(SaveAsCommand(nullptr));
    EXPECT_NE(driver.proposed().find(L"shot(1).jpg"), std::wstring::npos) << driver.proposed();
  }
  const std::wstring saved = scratch_.File(L"typed.webp.jpg");
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(saved), GUID_ContainerFormatJpeg));
  if (!CJpegEncoder::PlatformHonoursQuality()) {
    EXPECT_EQ(test_support::JpegQuality(ReadFileBytes(saved)), 93);
  }
  {
    // The same name again: the dialog asks about "typed.webp" only, so the
    // earlier copy is kept and the new one takes a free name.
    SaveDialogDriver driver(scratch_.File(L"typed.webp"));
    EXPECT_TRUE(SaveAsCommand(nullptr));
  }
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(saved), GUID_ContainerFormatJpeg));
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(scratch_.File(L"typed.webp(1).jpg")),
                          GUID_ContainerFormatJpeg));
  {
    SaveDialogDriver driver(scratch_.File(L"typed.png"));
    EXPECT_TRUE(SaveAsCommand(nullptr));
  }
  EXPECT_TRUE(IsEqualGUID(test_support::ContainerOfFile(scratch_.File(L"typed.png")),
                          GUID_ContainerFormatPng));
}

TEST_F(DocumentTest, GifsAreNotConverted) {
  const std::wstring path = Copy(L"still.gif", L"still.GIF");
  CImageDocument::Instance()->Open(path);
  ScriptedChooser chooser(1, 0);
  skin_test::MessageBoxRecorder watcher;
  EXPECT_FALSE(ConvertCommand(nullptr, chooser, RenderModule()));
  EXPECT_EQ(chooser.calls, 0);
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, L"GIF图片格式暂不支持格式转换哦~");
  EXPECT_EQ(seen[0].button, L"我知道了");
}

}  // namespace
