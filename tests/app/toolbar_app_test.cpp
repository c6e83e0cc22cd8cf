// The toolbar of the real viewer: its place per dock setting, its buttons
// clicked with the mouse, how its disabled and hot buttons look, the
// enhancement chooser changing the shown picture, and the picture
// information window beside its button.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/app_driver.h"
#include "support/imaging.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/test_pictures.h"
#include "support/test_paths.h"

namespace {

using test_support::LumoraProcess;

constexpr int kToolbarId = 102;
constexpr int kImageViewId = 101;

class ToolbarApp : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(
        test_support::WriteSolidPicture(folder_.File(L"a1.png"), 400, 300, RGB(200, 30, 30)));
    ASSERT_TRUE(
        test_support::WriteSolidPicture(folder_.File(L"a2.png"), 400, 300, RGB(30, 200, 30)));
  }
  void TearDown() override {
    app_.Close();
    CoUninitialize();
  }
  void StartWith(const std::wstring& argument) {
    ASSERT_TRUE(app_.Start(argument));
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, HWND_TOP, 60, 40, 900, 650, SWP_SHOWWINDOW);
    Command(21751);
    toolbar_ = GetDlgItem(main_, kToolbarId);
    ASSERT_NE(toolbar_, nullptr);
  }
  void Command(UINT id) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main_, WM_COMMAND, id, 0, SMTO_BLOCK, 10000, &ignored);
  }
  RECT ChildRect(HWND child) const {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  // The middle of the n-th centre button (0 the fit toggle, 4 previous,
  // 5 next) in toolbar coordinates.
  POINT CentreButton(int n) const {
    RECT client = {};
    GetClientRect(toolbar_, &client);
    const int first = (client.right - 34 * 11) / 2 - 65;
    return {first + n * 46 + 17, 30};
  }
  // How many light pixels the button's cell shows: the normal row is light
  // grey, the disabled row dark grey.
  int LightPixels(POINT centre) const {
    POINT screen = centre;
    ClientToScreen(toolbar_, &screen);
    int light = 0;
    for (uint32_t c :
         test_support::ScreenPixels({screen.x - 17, screen.y - 17, screen.x + 17, screen.y + 17})) {
      light += ((c >> 8) & 0xFF) > 150 ? 1 : 0;
    }
    return light;
  }
  void Shot(const wchar_t* name) {
    test_support::PumpFor(400);
    RECT rect = {};
    GetWindowRect(toolbar_, &rect);
    test_support::SaveScreenPng(rect, name);
  }
  // The main window and a popup of it together.
  void ShotWith(HWND popup, const wchar_t* name) {
    test_support::PumpFor(400);
    RECT main = {};
    RECT other = {};
    GetWindowRect(main_, &main);
    GetWindowRect(popup, &other);
    RECT both = {};
    UnionRect(&both, &main, &other);
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&both, &both, &screen);
    test_support::SaveScreenPng(both, name);
  }
  RECT ButtonScreenRect(POINT centre) const {
    POINT screen = centre;
    ClientToScreen(toolbar_, &screen);
    return {screen.x - 17, screen.y - 17, screen.x + 17, screen.y + 17};
  }
  // The middle of the information button, the right group's only one.
  POINT InfoButton() const {
    RECT client = {};
    GetClientRect(toolbar_, &client);
    return {client.right - 10 - 17, 30};
  }
  // The colour in the middle of the picture area on the screen.
  COLORREF ViewCentre() const {
    HWND view = GetDlgItem(main_, kImageViewId);
    RECT rect = {};
    GetWindowRect(view, &rect);
    return test_support::ScreenPixel((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  }
  bool Gone(HWND window) const { return !IsWindow(window) || !IsWindowVisible(window); }

  test_support::ScratchFolder folder_{L"toolbar"};
  LumoraProcess app_;
  HWND main_ = nullptr;
  HWND toolbar_ = nullptr;
};

TEST_F(ToolbarApp, DockSettingMovesTheToolbarAndThePictureArea) {
  StartWith(L"");
  RECT client = {};
  GetClientRect(main_, &client);
  HWND view = GetDlgItem(main_, kImageViewId);
  Command(21750);
  RECT bar = ChildRect(toolbar_);
  EXPECT_EQ(bar.top, 33);
  EXPECT_EQ(bar.bottom, 93);
  EXPECT_EQ(bar.right, client.right);
  EXPECT_EQ(ChildRect(view).top, 93);
  Command(21751);
  bar = ChildRect(toolbar_);
  EXPECT_EQ(bar.top, client.bottom - 62);
  EXPECT_EQ(bar.bottom, client.bottom - 2);
  EXPECT_EQ(ChildRect(view).bottom, client.bottom - 62);
}

TEST_F(ToolbarApp, ButtonsStepZoomAndFollowTheFolder) {
  StartWith(L"\"" + folder_.File(L"a1.png") + L"\"");
  const std::wstring first = L"a1.png ( 400x300 ) - [1/2] 100%";
  ASSERT_EQ(app_.WaitForCaption(first, 8000), first);
  // At the first picture "previous" is disabled and "next" is not.
  ASSERT_TRUE(test_support::WaitUntil([&] { return LightPixels(CentreButton(5)) > 20; }));
  EXPECT_EQ(LightPixels(CentreButton(4)), 0);
  Shot(L"toolbar_first_picture");

  test_support::PostClick(toolbar_, CentreButton(5));
  const std::wstring second = L"a2.png ( 400x300 ) - [2/2] 100%";
  EXPECT_EQ(app_.WaitForCaption(second, 8000), second);
  ASSERT_TRUE(test_support::WaitUntil([&] { return LightPixels(CentreButton(4)) > 20; }));
  EXPECT_EQ(LightPixels(CentreButton(5)), 0);

  // Zoom in, then back with the fit toggle's command.
  test_support::PostClick(toolbar_, CentreButton(2));
  EXPECT_TRUE(test_support::WaitUntil(
      [&] { return test_support::WindowCaption(main_).find(L"100%") == std::wstring::npos; }));
  test_support::PostClick(toolbar_, CentreButton(4));
  EXPECT_TRUE(test_support::WaitUntil(
      [&] { return test_support::WindowCaption(main_).rfind(L"a1.png", 0) == 0; }));

  // A hovered button is drawn on its lighter cell.
  const POINT rotate = CentreButton(6);
  PostMessageW(toolbar_, WM_MOUSEMOVE, 0, MAKELPARAM(rotate.x, rotate.y));
  Shot(L"toolbar_hot_rotate");
}

TEST_F(ToolbarApp, WithoutAPictureOnlyTheNeighbourAndDeleteRulesHold) {
  StartWith(L"");
  test_support::PumpFor(600);
  Shot(L"toolbar_no_picture");
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(LightPixels(CentreButton(n)), 0) << n;
  }
}

TEST_F(ToolbarApp, EnhancementChangesTheShownPictureAndBack) {
  StartWith(L"\"" + folder_.File(L"a1.png") + L"\"");
  ASSERT_TRUE(test_support::WaitUntil([&] { return ViewCentre() == RGB(200, 30, 30); }, 8000))
      << std::hex << ViewCentre();

  const POINT effect = CentreButton(9);
  test_support::PostClick(toolbar_, effect);
  HWND chooser = test_support::WaitForWindowOfClass(app_.pid(), L"CEffectWnd");
  ASSERT_NE(chooser, nullptr);
  RECT placed = {};
  GetWindowRect(chooser, &placed);
  const RECT button = ButtonScreenRect(effect);
  EXPECT_EQ(placed.left, button.left - 100);
  EXPECT_EQ(placed.top, button.top - 126);
  ShotWith(chooser, L"toolbar_effect_chooser");

  // "brighter", the first option: every channel 20 up.
  test_support::PostClick(chooser, {120, 21});
  EXPECT_TRUE(test_support::WaitUntil([&] { return Gone(chooser); }, 5000));
  EXPECT_TRUE(test_support::WaitUntil([&] { return ViewCentre() == RGB(220, 50, 50); }, 8000))
      << std::hex << ViewCentre();
  Shot(L"toolbar_effect_active");

  // Pressed again, the button switches it off without opening the chooser.
  test_support::PostClick(toolbar_, effect);
  EXPECT_TRUE(test_support::WaitUntil([&] { return ViewCentre() == RGB(200, 30, 30); }, 8000))
      << std::hex << ViewCentre();
  test_support::PumpFor(300);
  EXPECT_EQ(test_support::WaitForWindowOfClass(app_.pid(), L"CEffectWnd", 300), nullptr);
}

TEST_F(ToolbarApp, InformationWindowOpensAtItsButtonAndFollowsThePictures) {
  const std::wstring fixtures = test_support::EnvironmentPath(L"LUMORA_INFO_FIXTURES");
  for (const wchar_t* name : {L"camera_north.jpg", L"camera_south.jpg"}) {
    ASSERT_TRUE(CopyFileW((fixtures + L"\\" + name).c_str(), folder_.File(name).c_str(), FALSE));
  }
  StartWith(L"\"" + folder_.File(L"camera_north.jpg") + L"\"");
  ASSERT_TRUE(test_support::WaitUntil([&] {
    return test_support::WindowCaption(main_).find(L"( 48x64") != std::wstring::npos;
  })) << test_support::WindowCaption(main_);

  // Docked at the bottom, the window opens upwards from the button.
  test_support::PostClick(toolbar_, InfoButton());
  HWND info = test_support::WaitForWindowOfClass(app_.pid(), L"WndShowExif2");
  ASSERT_NE(info, nullptr);
  RECT placed = {};
  GetWindowRect(info, &placed);
  RECT button = ButtonScreenRect(InfoButton());
  EXPECT_EQ(placed.left, button.left);
  EXPECT_EQ(placed.bottom, button.top);
  EXPECT_EQ(GetWindow(info, GW_OWNER), main_);
  ShotWith(info, L"toolbar_info_north");

  // The keys of the viewer work while the window is active: Right shows the
  // next picture, and the same window shows it.
  EXPECT_EQ(GetForegroundWindow(), info);
  PostMessageW(info, WM_KEYDOWN, VK_RIGHT, 1);
  PostMessageW(info, WM_KEYUP, VK_RIGHT, 0xC0000001);
  ASSERT_TRUE(test_support::WaitUntil([&] {
    return test_support::WindowCaption(main_).find(L"( 64x48") != std::wstring::npos;
  })) << test_support::WindowCaption(main_);
  EXPECT_TRUE(IsWindowVisible(info));
  ShotWith(info, L"toolbar_info_south");

  // The toolbar at the top: below the button; the main window moved: along.
  Command(21750);
  SetWindowPos(main_, nullptr, 100, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  test_support::PumpFor(300);
  GetWindowRect(info, &placed);
  button = ButtonScreenRect(InfoButton());
  EXPECT_EQ(placed.left, button.left);
  EXPECT_EQ(placed.top, button.bottom);

  // Tab closes it; its close button does too.
  PostMessageW(info, WM_KEYDOWN, VK_TAB, 1);
  PostMessageW(info, WM_KEYUP, VK_TAB, 0xC0000001);
  EXPECT_TRUE(test_support::WaitUntil([&] { return Gone(info); }, 5000));
  Command(20000);
  info = test_support::WaitForWindowOfClass(app_.pid(), L"WndShowExif2");
  ASSERT_NE(info, nullptr);
  test_support::PostClick(info, {278, 22});
  EXPECT_TRUE(test_support::WaitUntil([&] { return Gone(info); }, 5000));
}

}  // namespace
