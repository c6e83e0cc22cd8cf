// The skinned message boxes and the conversion box in the real program.
#include <windows.h>
#include <shellapi.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "framework/auto_init_com.h"
#include "basic_lib/win_util.h"
#include "support/app_driver.h"
#include "support/screenshots.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"

namespace {

using test_support::LumoraProcess;
using test_support::PostClick;
using test_support::WaitForWindowOfClass;
using test_support::WaitUntil;

constexpr UINT kConvert = 20014;
constexpr UINT kResizeDone = 0x8205;

// Where the message box's skin puts its buttons (client coordinates).
constexpr POINT kOneButton = {170, 148};
constexpr RECT kOneButtonRect = {108, 130, 232, 166};
// The conversion box's skin: dropList and OK.
constexpr POINT kDropList = {240, 120};
constexpr POINT kConvertOk = {310, 184};

bool IsOrange(COLORREF c) {
  return GetRValue(c) > 170 && GetGValue(c) > 80 && GetGValue(c) < 160 && GetBValue(c) < 80;
}

POINT ScreenPoint(HWND hwnd, POINT point) {
  ClientToScreen(hwnd, &point);
  return point;
}

RECT ShotOf(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  InflateRect(&rect, 14, 14);
  return rect;
}

// The box shows one orange button where the skin puts it, and nothing at
// the left button's place.
void ExpectOneOrangeButton(HWND box) {
  const POINT inside = ScreenPoint(box, {kOneButtonRect.left + 8, kOneButtonRect.top + 6});
  EXPECT_TRUE(IsOrange(test_support::ScreenPixel(inside.x, inside.y)));
  const POINT left_place = ScreenPoint(box, {40, 136});
  EXPECT_FALSE(IsOrange(test_support::ScreenPixel(left_place.x, left_place.y)));
}

// A copy of the program folder, to damage without touching the real one.
bool CopyProgramFolder(const std::wstring& to) {
  std::wstring from = test_support::DistFolder() + L"\\*";
  from.push_back(L'\0');
  std::wstring target = to;
  target.push_back(L'\0');
  CreateDirectoryW(to.c_str(), nullptr);
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_COPY;
  op.pFrom = from.c_str();
  op.pTo = target.c_str();
  op.fFlags = FOF_NO_UI;
  return SHFileOperationW(&op) == 0;
}

BOOL CALLBACK FindFailureText(HWND child, LPARAM found) {
  if (test_support::WindowCaption(child) == L"加载资源文件失败") {
    *reinterpret_cast<bool*>(found) = true;
  }
  return TRUE;
}

class SkinnedBoxApp : public ::testing::Test {
 protected:
  void TearDown() override { app_.Close(); }

  void Start(const std::wstring& picture) {
    ASSERT_TRUE(app_.Start(picture.empty() ? L"" : L"\"" + picture + L"\""));
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, nullptr, 80, 60, 900, 620, SWP_NOZORDER);
    SetForegroundWindow(main_);
  }

  FCAutoInitializeCOM com_;
  LumoraProcess app_;
  HWND main_ = nullptr;
  test_support::ScratchFolder folder_{L"boxes"};
};

TEST_F(SkinnedBoxApp, TheSaveErrorIsASkinnedBoxCentredOnTheDisabledMainWindow) {
  Start(L"");
  PostMessageW(main_, kResizeDone, 0, 0);
  HWND box = WaitForWindowOfClass(app_.pid(), L"CMessageBox");
  ASSERT_NE(box, nullptr);
  test_support::PumpFor(600);
  EXPECT_EQ(GetWindow(box, GW_OWNER), main_);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(main_); }));
  RECT box_rect = {};
  RECT main_rect = {};
  GetWindowRect(box, &box_rect);
  GetWindowRect(main_, &main_rect);
  EXPECT_EQ(box_rect.right - box_rect.left, 392);
  EXPECT_LE(std::abs((box_rect.left + box_rect.right) - (main_rect.left + main_rect.right)), 2);
  EXPECT_LE(std::abs((box_rect.top + box_rect.bottom) - (main_rect.top + main_rect.bottom)), 2);
  ExpectOneOrangeButton(box);
  test_support::SaveScreenPng(ShotOf(box), L"app_save_error");
  PostClick(box, kOneButton);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));
}

TEST_F(SkinnedBoxApp, ConvertingAGifShowsTheNoticeAndNoChooser) {
  const std::wstring gif = folder_.File(L"moving.gif");
  ASSERT_TRUE(test_support::WriteSolidPicture(gif, 40, 30, RGB(200, 40, 40)));
  Start(gif);
  app_.WaitForCaption(L"moving.gif ( 40x30 ) - [1/1] 100%");
  PostMessageW(main_, WM_COMMAND, kConvert, 0);
  HWND box = WaitForWindowOfClass(app_.pid(), L"CMessageBox");
  ASSERT_NE(box, nullptr);
  test_support::PumpFor(600);
  ExpectOneOrangeButton(box);
  test_support::SaveScreenPng(ShotOf(box), L"app_gif_notice");
  PostClick(box, kOneButton);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(WaitForWindowOfClass(app_.pid(), L"CConvertMsgBox", 500), nullptr);
}

TEST_F(SkinnedBoxApp, ConvertingOffersTheOtherFormatsAndWritesTheChosenOne) {
  const std::wstring png = folder_.File(L"photo.png");
  ASSERT_TRUE(test_support::WriteSolidPicture(png, 48, 32, RGB(30, 160, 60)));
  Start(png);
  app_.WaitForCaption(L"photo.png ( 48x32 ) - [1/1] 100%");
  PostMessageW(main_, WM_COMMAND, kConvert, 0);
  HWND box = WaitForWindowOfClass(app_.pid(), L"CConvertMsgBox");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(main_); }));
  test_support::PumpFor(300);
  PostClick(box, kDropList);
  HWND list = WaitForWindowOfClass(app_.pid(), L"CListWnd");
  ASSERT_NE(list, nullptr);
  test_support::PumpFor(500);
  RECT list_rect = {};
  GetWindowRect(list, &list_rect);
  // JPEG, TIFF and BMP: the picture's own format is left out.
  EXPECT_EQ(list_rect.bottom - list_rect.top, 3 * 32 + 2);
  RECT shot = ShotOf(box);
  UnionRect(&shot, &shot, &list_rect);
  test_support::SaveScreenPng(shot, L"app_convert_box_list");
  // The third, BMP.
  PostClick(list, {40, 1 + 2 * 32 + 16});
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(list); }));
  PostClick(box, kConvertOk);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  const std::wstring bmp = folder_.File(L"photo.bmp");
  ASSERT_TRUE(WaitUntil([&] { return test_support::ReadFileBytes(bmp).size() > 54; }));
  EXPECT_EQ(test_support::ReadFileBytes(bmp).substr(0, 2), "BM");
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));
}

TEST_F(SkinnedBoxApp, CancellingTheConversionWritesNothing) {
  const std::wstring jpg = folder_.File(L"photo.jpg");
  ASSERT_TRUE(test_support::WriteSolidPicture(jpg, 48, 32, RGB(30, 60, 160)));
  Start(jpg);
  app_.WaitForCaption(L"photo.jpg ( 48x32 ) - [1/1] 100%");
  PostMessageW(main_, WM_COMMAND, kConvert, 0);
  HWND box = WaitForWindowOfClass(app_.pid(), L"CConvertMsgBox");
  ASSERT_NE(box, nullptr);
  test_support::PumpFor(300);
  // OK without a format chosen converts nothing either.
  PostClick(box, kConvertOk);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  test_support::PumpFor(500);
  for (const wchar_t* name : {L"photo.png", L"photo.tiff", L"photo.bmp"}) {
    EXPECT_FALSE(win_util::PathExists(folder_.File(name)));
  }
}

TEST_F(SkinnedBoxApp, AQuitWhileABoxIsOpenEndsTheProgramCleanly) {
  Start(L"");
  PostMessageW(main_, kResizeDone, 0, 0);
  HWND box = WaitForWindowOfClass(app_.pid(), L"CMessageBox");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(main_); }));
  const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
  ASSERT_TRUE(PostThreadMessageW(thread, WM_QUIT, 0, 0));
  DWORD exit_code = 1;
  ASSERT_TRUE(app_.WaitForExit(10000, &exit_code));
  EXPECT_EQ(exit_code, 0u);
}

TEST_F(SkinnedBoxApp, WithoutTheSkinArchiveTheBuiltInBoxShowsAndTheProgramEnds) {
  // The program alone, without its resources folder.
  const std::wstring exe = folder_.File(L"Lumora.exe");
  ASSERT_TRUE(
      CopyFileW((test_support::DistFolder() + L"\\Lumora.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(app_.Start(L"", exe));
  HWND box = WaitForWindowOfClass(app_.pid(), L"CMessageBox", 15000);
  ASSERT_NE(box, nullptr);
  test_support::PumpFor(600);
  EXPECT_EQ(test_support::FindMainWindowOf(app_.pid()), nullptr);
  // The built-in skin: white, with the one orange button.
  const POINT white = ScreenPoint(box, {10, 60});
  EXPECT_EQ(test_support::ScreenPixel(white.x, white.y), RGB(255, 255, 255));
  ExpectOneOrangeButton(box);
  test_support::SaveScreenPng(ShotOf(box), L"app_missing_skins");
  PostClick(box, kOneButton);
  DWORD exit_code = 0;
  ASSERT_TRUE(app_.WaitForExit(10000, &exit_code));
  EXPECT_EQ(exit_code, static_cast<DWORD>(-1));
}

TEST_F(SkinnedBoxApp, ADamagedSkinArchiveIsReportedAndEndsTheProgram) {
  const std::wstring copy = folder_.File(L"program");
  ASSERT_TRUE(CopyProgramFolder(copy));
  // No tray program of the copy outlives the test.
  DeleteFileW((copy + L"\\LumoraTray.exe").c_str());
  ASSERT_TRUE(test_support::WriteFileBytes(copy + L"\\resources\\res.zip",
                                           std::string(4096, '\x5A') + "PK not an archive"));
  ASSERT_TRUE(app_.Start(L"", copy + L"\\Lumora.exe"));
  main_ = app_.WaitForMainWindow();
  ASSERT_NE(main_, nullptr);
  PostMessageW(main_, kResizeDone, 0, 0);
  HWND report = WaitForWindowOfClass(app_.pid(), L"#32770");
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(test_support::WindowCaption(report), L"Duilib");
  bool text_found = false;
  EnumChildWindows(report, FindFailureText, reinterpret_cast<LPARAM>(&text_found));
  EXPECT_TRUE(text_found);
  PostMessageW(report, WM_COMMAND, IDOK, 0);
  DWORD exit_code = 0;
  ASSERT_TRUE(app_.WaitForExit(10000, &exit_code));
  EXPECT_EQ(exit_code, 1u);
}

}  // namespace
