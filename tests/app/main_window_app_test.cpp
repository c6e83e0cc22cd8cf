#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resource_ids.h"
#include "support/app_driver.h"
#include "support/app_helpers.h"
#include "support/drop_files.h"
#include "support/test_pictures.h"
#include "support/test_paths.h"

namespace {

using test_support::LumoraProcess;
using test_support::ScreenPixel;

class MainWindowApp : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_.Start(L""));
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
  }
  void TearDown() override { app_.Close(); }

  // Runs a command in the window and returns once it has been handled.
  void Command(UINT id) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main_, WM_COMMAND, id, 0, SMTO_BLOCK, 10000, &ignored);
  }
  RECT WindowRect() const {
    RECT rect = {};
    GetWindowRect(main_, &rect);
    return rect;
  }

  LumoraProcess app_;
  HWND main_ = nullptr;
};

TEST_F(MainWindowApp, DarkFrameWithTitleStripAndWindowButtons) {
  EXPECT_EQ(app_.WaitForCaption(L"Lumora"), L"Lumora");
  SetWindowPos(main_, HWND_TOP, 60, 50, 900, 600, SWP_SHOWWINDOW);
  test_support::PumpFor(700);
  const RECT rect = WindowRect();
  POINT client = {0, 0};
  ClientToScreen(main_, &client);
  RECT client_rect = {};
  GetClientRect(main_, &client_rect);
  // The title strip, and the picture area beside the welcome screen.
  EXPECT_EQ(ScreenPixel(client.x + 400, client.y + 15), RGB(39, 39, 39));
  EXPECT_EQ(ScreenPixel(client.x + 20, client.y + 100), RGB(39, 39, 39));
  // Each window button cell shows a light glyph on the dark strip.
  for (int offset : {30, 60, 90, 120}) {
    int light = 0;
    for (int y = 1; y < 31; ++y) {
      for (int x = 0; x < 30; ++x) {
        const COLORREF c = ScreenPixel(client.x + client_rect.right - offset + x, client.y + y);
        light += (GetRValue(c) > 150 && GetGValue(c) > 150) ? 1 : 0;
      }
    }
    EXPECT_GT(light, 5) << "button at right - " << offset;
  }
  EXPECT_GT(rect.right - rect.left, 0);
}

TEST_F(MainWindowApp, FullScreenOnAndOffRestoresTheRectangle) {
  SetWindowPos(main_, nullptr, 70, 60, 820, 560, SWP_NOZORDER);
  test_support::PumpFor(200);
  const RECT before = WindowRect();
  Command(ID_FULL_SCREEN);
  const RECT full = WindowRect();
  EXPECT_EQ(full.left, 0);
  EXPECT_EQ(full.top, 0);
  EXPECT_EQ(full.right, GetSystemMetrics(SM_CXSCREEN));
  Command(ID_FULL_SCREEN);
  const RECT after = WindowRect();
  EXPECT_TRUE(EqualRect(&before, &after));
}

// Closed from full screen by its close command, the window is stored where
// it was before full screen, not over the whole screen.
TEST_F(MainWindowApp, ClosedInFullScreenItReopensWhereItWasBefore) {
  test_support::SettingsGuard settings;
  SetWindowPos(main_, nullptr, 70, 60, 820, 560, SWP_NOZORDER);
  test_support::PumpFor(200);
  const RECT before = WindowRect();
  Command(ID_FULL_SCREEN);
  ASSERT_EQ(WindowRect().left, 0);
  PostMessageW(main_, WM_COMMAND, IDC_CLOSE_BUTTON, 0);
  ASSERT_TRUE(app_.WaitForExit(10000));
  wchar_t stored[64] = {};
  GetPrivateProfileStringW(L"app", L"last_position", L"", stored, 64, settings.file().c_str());
  wchar_t expected[64] = {};
  swprintf(expected, 64, L"%d_%d_%d_%d", static_cast<int>(before.left),
           static_cast<int>(before.top), static_cast<int>(before.right),
           static_cast<int>(before.bottom));
  EXPECT_STREQ(stored, expected);
}

TEST_F(MainWindowApp, EscapeLeavesFullScreenThenCloses) {
  Command(ID_FULL_SCREEN);
  PostMessageW(main_, WM_COMMAND, IDCANCEL, 0);
  test_support::PumpFor(300);
  EXPECT_TRUE(IsWindow(main_));
  EXPECT_NE(WindowRect().left, 0);
  PostMessageW(main_, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(app_.WaitForExit(10000));
}

TEST_F(MainWindowApp, ToolbarDockMovesThePictureArea) {
  SetWindowPos(main_, nullptr, 70, 60, 820, 560, SWP_NOZORDER);
  HWND view = GetDlgItem(main_, IDC_IMAGE_VIEW);
  ASSERT_NE(view, nullptr);
  auto view_rect = [&] {
    RECT rect = {};
    GetWindowRect(view, &rect);
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  RECT client = {};
  GetClientRect(main_, &client);
  Command(ID_TOOLBAR_TOP);
  RECT top_docked = view_rect();
  EXPECT_EQ(top_docked.top, 93);
  EXPECT_EQ(top_docked.bottom, client.bottom);
  Command(ID_TOOLBAR_BOTTOM);
  RECT bottom_docked = view_rect();
  EXPECT_EQ(bottom_docked.top, 31);
  EXPECT_EQ(bottom_docked.bottom, client.bottom - 62);
}

TEST_F(MainWindowApp, AlwaysOnTopToggles) {
  Command(ID_ALWAYS_ON_TOP);
  EXPECT_TRUE(GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  Command(ID_ALWAYS_ON_TOP);
  EXPECT_FALSE(GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MainWindowApp, DroppedPictureIsOpenedAndOtherFilesIgnored) {
  test_support::ScratchFolder folder(L"drop");
  const std::wstring text = folder.File(L"notes.txt");
  const std::wstring picture = folder.File(L"drop.png");
  ASSERT_TRUE(test_support::WriteFileBytes(text, "not a picture"));
  CoInitialize(nullptr);
  ASSERT_TRUE(test_support::WriteSolidPicture(picture, 40, 30, RGB(200, 40, 40)));
  ASSERT_TRUE(test_support::DropFileOnWindow(main_, text));
  test_support::PumpFor(500);
  EXPECT_EQ(test_support::WindowCaption(main_), L"Lumora");
  ASSERT_TRUE(test_support::DropFileOnWindow(main_, picture));
  const std::wstring expected = L"drop.png ( 40x30 ) - [1/1] 100%";
  EXPECT_EQ(app_.WaitForCaption(expected, 5000), expected);
}

}  // namespace
