// The menus in the real program: the context menu from a right click in the
// picture and the main menu from the menu button, each running a command;
// Escape and a click elsewhere close them without one.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/app_driver.h"
#include "support/screenshots.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"

namespace {

using test_support::LumoraProcess;

constexpr int kImageViewId = 101;
constexpr COLORREF kMenuSurface = RGB(43, 43, 43);

bool Near(COLORREF a, COLORREF b, int tolerance = 6) {
  return abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

void MouseAt(POINT at, DWORD down, DWORD up) {
  SetCursorPos(at.x, at.y);
  INPUT input[2] = {};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dwFlags = down;
  input[1].type = INPUT_MOUSE;
  input[1].mi.dwFlags = up;
  SendInput(2, input, sizeof(INPUT));
}

class MenusApp : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(
        test_support::WriteSolidPicture(folder_.File(L"big.png"), 2000, 1500, RGB(30, 200, 30)));
    ASSERT_TRUE(app_.Start(L"\"" + folder_.File(L"big.png") + L"\""));
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, HWND_TOP, 80, 60, 900, 650, SWP_SHOWWINDOW);
    SetForegroundWindow(main_);
    view_ = GetDlgItem(main_, kImageViewId);
    ASSERT_NE(view_, nullptr);
    fitted_ = app_.WaitForCaption(L"big.png ( 2000x1500 ) - [1/1]", 8000);
    ASSERT_EQ(fitted_.find(L"100%"), std::wstring::npos)
        << std::string(fitted_.begin(), fitted_.end());
  }
  void TearDown() override {
    app_.Close();
    CoUninitialize();
  }
  HWND Menu(const wchar_t* class_name) {
    return test_support::WaitForWindowOfClass(app_.pid(), class_name, 5000);
  }
  bool Gone(HWND menu) {
    return test_support::WaitUntil([&] { return !IsWindow(menu); }, 5000);
  }
  POINT ViewPoint() {
    RECT view = {};
    GetWindowRect(view_, &view);
    return {view.left + 150, view.top + 120};
  }
  HWND OpenContextMenu() {
    MouseAt(ViewPoint(), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    return Menu(L"CContextMenu");
  }
  // The centre of row index of a menu's list, on the screen.
  static POINT Row(HWND menu, int list_left, int index) {
    RECT r = {};
    GetWindowRect(menu, &r);
    return {r.left + list_left + 80, r.top + 1 + 3 + index * 36 + 18};
  }

  test_support::ScratchFolder folder_{L"menus"};
  LumoraProcess app_;
  HWND main_ = nullptr;
  HWND view_ = nullptr;
  std::wstring fitted_;
};

TEST_F(MenusApp, RightClickOpensTheContextMenuWhichRunsItsCommand) {
  HWND menu = OpenContextMenu();
  ASSERT_NE(menu, nullptr);
  test_support::PumpFor(400);
  RECT r = {};
  GetWindowRect(menu, &r);
  const POINT at = ViewPoint();
  EXPECT_EQ(r.left, at.x);
  EXPECT_EQ(r.top, at.y);
  EXPECT_TRUE(Near(test_support::ScreenPixel(r.left + 240, r.top + 100), kMenuSurface));
  EXPECT_TRUE(test_support::SaveScreenPng(r, L"app_context_menu"));
  // Item 6 shows the picture at actual size.
  test_support::PostClick(menu, {80, 1 + 3 + 6 * 36 + 18});
  EXPECT_TRUE(Gone(menu));
  EXPECT_TRUE(test_support::WaitUntil(
      [&] {
        const std::wstring caption = test_support::WindowCaption(main_);
        return caption.size() > 4 && caption.compare(caption.size() - 4, 4, L"100%") == 0;
      },
      8000));
}

TEST_F(MenusApp, EscapeAndAClickOutsideCloseTheContextMenuWithoutACommand) {
  HWND menu = OpenContextMenu();
  ASSERT_NE(menu, nullptr);
  test_support::PumpFor(300);
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(Gone(menu));

  menu = OpenContextMenu();
  ASSERT_NE(menu, nullptr);
  test_support::PumpFor(300);
  RECT view = {};
  GetWindowRect(view_, &view);
  MouseAt({view.right - 60, view.bottom - 60}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(Gone(menu));
  test_support::PumpFor(300);
  EXPECT_EQ(test_support::WindowCaption(main_), fitted_);
}

TEST_F(MenusApp, TheMenuButtonOpensTheMainMenuWhichRunsItsCommand) {
  PostMessageW(main_, WM_COMMAND, 20012, 0);
  HWND menu = Menu(L"CMainMenu");
  ASSERT_NE(menu, nullptr);
  test_support::PumpFor(400);
  RECT r = {};
  GetWindowRect(menu, &r);
  EXPECT_TRUE(Near(test_support::ScreenPixel(r.left + 144 + 200, r.top + 60), kMenuSurface));
  EXPECT_TRUE(test_support::SaveScreenPng(r, L"app_main_menu"));
  EXPECT_EQ(GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  // Item 2: always on top.
  test_support::PostClick(menu, {144 + 80, 3 + 2 * 36 + 18});
  EXPECT_TRUE(Gone(menu));
  EXPECT_TRUE(test_support::WaitUntil(
      [&] { return (GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 5000));
}

}  // namespace
