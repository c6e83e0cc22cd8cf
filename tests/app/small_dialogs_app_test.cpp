// The small dialogs in the real program: resize and save, the wheel choice
// and the about box, driven from the window as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basic_lib/win_util.h"
#include "image/exif_parser.h"
#include "resource_ids.h"
#include "support/app_driver.h"
#include "support/app_helpers.h"
#include "support/exif_builder.h"
#include "support/image_fixtures.h"
#include "support/imaging.h"
#include "support/saving.h"
#include "support/screenshots.h"
#include "support/test_paths.h"

namespace {

// A skinned dialog of a freshly started viewer can take well over ten
// seconds to show on a machine busy with builds.
constexpr DWORD kDialogWaitMs = 20000;

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

using test_support::LumoraProcess;
using test_support::WaitUntil;
using test_support::WindowCaption;

std::string Text(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// Where the controls sit in the skins (client coordinates).
constexpr POINT kResizeOk = {362, 262};
constexpr POINT kResizeCancel = {250, 262};
constexpr POINT kWheelZoom = {80, 128};
constexpr POINT kWheelOk = {322, 212};
constexpr POINT kAboutClose = {378, 22};

// The native edit windows of the resize dialog, in skin order: width, width
// percent, height, height percent.
std::vector<HWND> EditsOf(HWND dialog) {
  std::vector<HWND> edits;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM found) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        if (_wcsicmp(name, L"Edit") == 0) {
          reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&edits));
  return edits;
}

std::wstring EditText(HWND edit) {
  wchar_t text[64] = {};
  SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
  return text;
}

// The file name the save dialog shows (its edit, or the edit in its combo).
std::wstring FileNameOf(HWND dialog) {
  wchar_t text[MAX_PATH] = {};
  GetDlgItemTextW(dialog, 0x47C, text, MAX_PATH);
  if (!text[0]) {
    GetDlgItemTextW(dialog, 0x480, text, MAX_PATH);
  }
  return text;
}

void Screenshot(HWND window, const wchar_t* name) {
  test_support::PumpFor(300);
  RECT rect = {};
  GetWindowRect(window, &rect);
  EXPECT_TRUE(test_support::SaveScreenPng(rect, name));
}

uint32_t LongTag(const test_support::ExifOfFile& exif, uint16_t tag) {
  const CExifParser::Field* field = exif.parser.Find(CExifParser::kExif, tag);
  if (!field || field->bytes.size() < 4) {
    return 0;
  }
  return uint32_t{field->bytes[0]} | uint32_t{field->bytes[1]} << 8 |
         uint32_t{field->bytes[2]} << 16 | uint32_t{field->bytes[3]} << 24;
}

class SmallDialogsApp : public ::testing::Test {
 protected:
  void TearDown() override { app_.Close(); }

  // A photo stored turned (orientation 6) with a few EXIF tags: 24 x 16
  // upright.
  std::wstring WriteTurnedPhoto(const wchar_t* name) {
    test_support::TiffBuilder tiff(false);
    tiff.Shorts(test_support::TiffBuilder::kPrimary, 274, {6})
        .Ascii(test_support::TiffBuilder::kPrimary, 271, "Maker Co")
        .Ascii(test_support::TiffBuilder::kExif, 36867, "2023:07:14 09:26:53")
        .Longs(test_support::TiffBuilder::kExif, 40962, {16})
        .Longs(test_support::TiffBuilder::kExif, 40963, {24});
    const std::wstring blocks = folder_.File(L"blocks.tmp.jpg");
    EXPECT_TRUE(test_support::WriteBlocks(blocks, GUID_ContainerFormatJpeg));
    const std::string stored = test_support::ReadFileBytes(blocks);
    DeleteFileW(blocks.c_str());
    const test_support::Bytes photo =
        test_support::WithExif(test_support::Bytes(stored.begin(), stored.end()), tiff.Build());
    const std::wstring path = folder_.File(name);
    EXPECT_TRUE(test_support::WriteFileBytes(path, test_support::AsString(photo)));
    return path;
  }
  void Show(const std::wstring& path, const std::wstring& caption_part) {
    ASSERT_TRUE(app_.Start(L"\"" + path + L"\""));
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, HWND_TOP, 80, 60, 900, 650, SWP_SHOWWINDOW);
    ASSERT_TRUE(WaitUntil([&] { return Contains(WindowCaption(main_), caption_part); }))
        << Text(WindowCaption(main_));
  }
  // A 400 x 300 picture shown while the wheel's use is still to be asked.
  void ShowWithTheWheelUnchosen(const wchar_t* name, const std::wstring& caption_part) {
    settings_.Set(L"show_wheel_favorite", L"1");
    settings_.Set(L"mouse_wheel_action", L"99");
    const std::wstring picture = folder_.File(name);
    ASSERT_TRUE(test_support::WriteSolidPicture(picture, 400, 300, RGB(30, 200, 30)));
    Show(picture, caption_part);
  }
  // The middle of the picture view, in screen coordinates.
  LPARAM ViewCentre() const {
    RECT rect = {};
    GetWindowRect(GetDlgItem(main_, IDC_IMAGE_VIEW), &rect);
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }
  HWND OpenResizeDialog() {
    PostMessageW(main_, WM_COMMAND, ID_RESIZE, 0);
    HWND dialog = test_support::WaitForWindowOfClass(app_.pid(), L"DlgResizeImage2", kDialogWaitMs);
    test_support::PumpFor(500);
    return dialog;
  }
  // OK on the resize dialog, `target` typed into the save dialog and
  // accepted; returns the question the save dialog asks next (replace the
  // existing file?), or null when it asks none.
  HWND SaveResizedAs(HWND dialog, const std::wstring& target) {
    test_support::PostClick(dialog, kResizeOk);
    HWND save = test_support::WaitForWindowOfClass(app_.pid(), L"#32770");
    if (!save) {
      ADD_FAILURE() << "the save dialog";
      return nullptr;
    }
    test_support::PumpFor(500);
    SetDlgItemTextW(save, 0x47C, target.c_str()) || SetDlgItemTextW(save, 0x480, target.c_str());
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    return test_support::WaitForWindowOfClass(app_.pid(), L"#32770", 10000, save);
  }

  test_support::SettingsGuard settings_;
  test_support::ScratchFolder folder_{L"small-dialogs"};
  LumoraProcess app_;
  HWND main_ = nullptr;
};

// F2 on a photo stored turned: the dialog shows its upright size, 200% in
// the width percent doubles both sides, the save dialog proposes the name
// beside the photo, and the saved copy is upright with the photo's EXIF.
TEST_F(SmallDialogsApp, ResizeAndSaveWritesAnUprightCopyWithTheExif) {
  const std::wstring photo = WriteTurnedPhoto(L"turned.jpg");
  const std::string original = test_support::ReadFileBytes(photo);
  Show(photo, L"turned.jpg");

  HWND dialog = OpenResizeDialog();
  ASSERT_NE(dialog, nullptr);
  std::vector<HWND> edits = EditsOf(dialog);
  ASSERT_EQ(edits.size(), 4u);
  EXPECT_EQ(Text(EditText(edits[0])), "24");
  EXPECT_EQ(Text(EditText(edits[2])), "16");
  SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"200"));
  EXPECT_EQ(Text(EditText(edits[0])), "48");
  EXPECT_EQ(Text(EditText(edits[2])), "32");
  EXPECT_EQ(Text(EditText(edits[3])), "200");
  Screenshot(dialog, L"resize_dialog_app");

  test_support::PostClick(dialog, kResizeOk);
  HWND save = test_support::WaitForWindowOfClass(app_.pid(), L"#32770");
  ASSERT_NE(save, nullptr) << "the save dialog";
  test_support::PumpFor(500);
  EXPECT_TRUE(Contains(FileNameOf(save), L"turned(1).jpg")) << Text(FileNameOf(save));
  PostMessageW(save, WM_COMMAND, IDOK, 0);

  const std::wstring copy = folder_.File(L"turned(1).jpg");
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) && win_util::PathExists(copy); }, 20000));
  // The job has reported back: no saving tip left, the photo still shown.
  EXPECT_TRUE(WaitUntil([&] { return test_support::ReadFileBytes(copy).size() > 100; }));
  test_support::PumpFor(500);
  EXPECT_TRUE(Contains(WindowCaption(main_), L"turned.jpg")) << Text(WindowCaption(main_));
  // Input, held back while the job ran, reaches the window again.
  PostMessageW(main_, WM_CHAR, L'+', 0);
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(main_), L"110%"); }))
      << Text(WindowCaption(main_));

  const test_support::Pixels pixels = test_support::DecodedPixels(copy);
  ASSERT_EQ(pixels.width, 48u);
  ASSERT_EQ(pixels.height, 32u);
  EXPECT_TRUE(test_support::ShowsBlocksUpright(pixels, 6, 40, 16));
  const test_support::ExifOfFile exif(copy);
  ASSERT_TRUE(exif.found);
  EXPECT_EQ(exif.Orientation(), 1);
  EXPECT_EQ(exif.Text(CExifParser::kPrimary, 271), "Maker Co");
  EXPECT_EQ(exif.Text(CExifParser::kExif, 36867), "2023:07:14 09:26:53");
  EXPECT_EQ(LongTag(exif, 40962), 48u);
  EXPECT_EQ(LongTag(exif, 40963), 32u);
  EXPECT_EQ(test_support::ReadFileBytes(photo), original) << "the photo is untouched";
}

// Saving the resized picture over the photo on show: the window shows the
// new file once the job is done.
TEST_F(SmallDialogsApp, ResizingOverThePhotoOnShowReloadsIt) {
  const std::wstring photo = WriteTurnedPhoto(L"over.jpg");
  Show(photo, L"over.jpg ( 24x16 ,");

  HWND dialog = OpenResizeDialog();
  ASSERT_NE(dialog, nullptr);
  std::vector<HWND> edits = EditsOf(dialog);
  ASSERT_EQ(edits.size(), 4u);
  SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"50"));
  HWND question = SaveResizedAs(dialog, photo);
  ASSERT_NE(question, nullptr) << "asked before the photo is replaced";
  PostMessageW(question, WM_COMMAND, IDYES, 0);

  EXPECT_TRUE(
      WaitUntil([&] { return Contains(WindowCaption(main_), L"over.jpg ( 12x8 ,"); }, 20000))
      << Text(WindowCaption(main_));
  const test_support::ExifOfFile exif(photo);
  ASSERT_TRUE(exif.found);
  EXPECT_EQ(exif.Orientation(), 1);
  EXPECT_EQ(exif.Text(CExifParser::kPrimary, 271), "Maker Co");
  EXPECT_EQ(test_support::FilesIn(folder_.path()).size(), 1u) << "no temporary file left";
}

// A size of 0 is refused with the dialog's message and nothing is written;
// a target another program holds gives the save error and loses nothing.
TEST_F(SmallDialogsApp, ResizeRefusesBadSizesAndReportsATargetItCannotWrite) {
  const std::wstring photo = WriteTurnedPhoto(L"photo.jpg");
  const std::string original = test_support::ReadFileBytes(photo);
  Show(photo, L"photo.jpg");

  HWND dialog = OpenResizeDialog();
  ASSERT_NE(dialog, nullptr);
  std::vector<HWND> edits = EditsOf(dialog);
  ASSERT_EQ(edits.size(), 4u);
  SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
  test_support::PostClick(dialog, kResizeOk);
  HWND refusal = test_support::WaitForWindowOfClass(app_.pid(), L"CMessageBox");
  ASSERT_NE(refusal, nullptr) << "the dialog's message";
  Screenshot(refusal, L"resize_refused_app");
  EXPECT_EQ(test_support::WaitForWindowOfClass(app_.pid(), L"#32770"), nullptr)
      << "no save dialog for a size of 0";
  PostMessageW(refusal, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(refusal); }));
  ASSERT_TRUE(IsWindow(dialog)) << "the resize dialog stays open";
  test_support::PostClick(dialog, kResizeCancel);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(test_support::FilesIn(folder_.path()).size(), 1u);

  // Held open by this process, so the viewer cannot write it.
  const std::wstring held = folder_.File(L"held.jpg");
  ASSERT_TRUE(test_support::WriteFileBytes(held, "someone else's picture"));
  HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  dialog = OpenResizeDialog();
  ASSERT_NE(dialog, nullptr);
  // The overwrite question: yes.
  HWND question = SaveResizedAs(dialog, held);
  if (question) {
    PostMessageW(question, WM_COMMAND, IDYES, 0);
  }
  HWND error = test_support::WaitForWindowOfClass(app_.pid(), L"CMessageBox", 20000);
  ASSERT_NE(error, nullptr) << "the save error";
  Screenshot(error, L"resize_save_error_app");
  PostMessageW(error, WM_CLOSE, 0, 0);
  CloseHandle(holder);
  EXPECT_EQ(test_support::ReadFileBytes(held), "someone else's picture");
  EXPECT_EQ(test_support::ReadFileBytes(photo), original);
  EXPECT_EQ(test_support::FilesIn(folder_.path()).size(), 2u) << "no temporary file left";
}

// The first wheel turn asks; the choice (zoom) is saved and used at once
// and afterwards, without asking again.
TEST_F(SmallDialogsApp, WheelChoiceIsAskedSavedAndUsed) {
  ShowWithTheWheelUnchosen(L"wheel.png", L"wheel.png ( 400x300 ) - [1/1] 100%");
  HWND view = GetDlgItem(main_, IDC_IMAGE_VIEW);
  const LPARAM centre = ViewCentre();

  PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), centre);
  HWND dialog =
      test_support::WaitForWindowOfClass(app_.pid(), L"DlgMouseWheelFavorite2", kDialogWaitMs);
  ASSERT_NE(dialog, nullptr);
  Screenshot(dialog, L"wheel_dialog_app");
  // Turns while it is open are ignored.
  PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), centre);
  test_support::PostClick(dialog, kWheelZoom);
  test_support::PumpFor(300);
  test_support::PostClick(dialog, kWheelOk);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

  const std::wstring zoomed = L"wheel.png ( 400x300 ) - [1/1] 110%";
  EXPECT_EQ(Text(app_.WaitForCaption(zoomed, 8000)), Text(zoomed)) << "the turn that asked zooms";
  const wchar_t* file = settings_.file().c_str();
  EXPECT_EQ(GetPrivateProfileIntW(L"app", L"mouse_wheel_action", -1, file), 1u);
  EXPECT_EQ(GetPrivateProfileIntW(L"app", L"show_wheel_favorite", -1, file), 0u);

  PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), centre);
  const std::wstring again = L"wheel.png ( 400x300 ) - [1/1] 121%";
  EXPECT_EQ(Text(app_.WaitForCaption(again, 8000)), Text(again));
  EXPECT_EQ(test_support::WaitForWindowOfClass(app_.pid(), L"DlgMouseWheelFavorite2", 500),
            nullptr);
}

// Closing the viewer while it asks about the wheel closes the question
// unanswered and ends the viewer.
TEST_F(SmallDialogsApp, ClosingTheViewerWhileTheWheelQuestionShowsEndsIt) {
  ShowWithTheWheelUnchosen(L"asked.png", L"asked.png");
  PostMessageW(GetDlgItem(main_, IDC_IMAGE_VIEW), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
               ViewCentre());
  ASSERT_NE(
      test_support::WaitForWindowOfClass(app_.pid(), L"DlgMouseWheelFavorite2", kDialogWaitMs),
      nullptr);
  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app_.WaitForExit(10000)) << "the question kept the viewer";
  EXPECT_EQ(GetPrivateProfileIntW(L"app", L"mouse_wheel_action", -1, settings_.file().c_str()), 99u)
      << "a question closed unanswered stores nothing";
}

// Command 21801 shows one about box however often it comes.
TEST_F(SmallDialogsApp, AboutOpensOnce) {
  const std::wstring picture = folder_.File(L"about.png");
  ASSERT_TRUE(test_support::WriteSolidPicture(picture, 40, 30, RGB(30, 200, 30)));
  Show(picture, L"about.png");
  PostMessageW(main_, WM_COMMAND, ID_ABOUT, 0);
  HWND about = test_support::WaitForWindowOfClass(app_.pid(), L"DlgAbout2", kDialogWaitMs);
  ASSERT_NE(about, nullptr);
  PostMessageW(main_, WM_COMMAND, ID_ABOUT, 0);
  test_support::PumpFor(800);
  int count = 0;
  EnumWindows(
      [](HWND hwnd, LPARAM counter) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(hwnd, name, 32);
        if (std::wstring(name) == L"DlgAbout2" && IsWindowVisible(hwnd)) {
          ++*reinterpret_cast<int*>(counter);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  EXPECT_EQ(count, 1);
  Screenshot(about, L"about_dialog_app");
  test_support::PostClick(about, kAboutClose);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
}

}  // namespace
