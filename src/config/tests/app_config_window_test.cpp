// Places a real top-level window the way the main window is placed at start
// and reads its placement back at close.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/app_config.h"
#include "support/config_sandbox.h"
#include "support/test_window.h"
#include "config/window_placement.h"

using test_support::ConfigSandbox;

namespace {

class TestWindow {
 public:
  TestWindow() {
    // Frameless with a sizing border, as the main window.
    hwnd_ = test_support::CreateTestWindow(
        L"LumoraPlacementTestWindow", DefWindowProcW,
        WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU, 300, 200,
        WS_EX_APPWINDOW);
  }
  ~TestWindow() { DestroyWindow(hwnd_); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  std::wstring Rect() const {
    RECT rect = {};
    GetWindowRect(hwnd_, &rect);
    return window_placement::FormatRect(rect);
  }

 private:
  HWND hwnd_ = nullptr;
};

RECT WorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

void Pump() {
  MSG msg;
  for (int i = 0; i < 20; ++i) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

}  // namespace

TEST(AppConfigWindowTest, RestorePlacesFitsOrMaximises) {
  const RECT work = WorkArea();
  ASSERT_GE(work.right - work.left, 1000) << "display too small for these cases";
  ConfigSandbox sandbox(L"config-window-restore");
  auto config = sandbox.MakeConfig();

  {
    // Nothing stored: the default rectangle, remembered in the member.
    TestWindow window;
    config->last_position.clear();
    config->RestoreWindowPlacement(window.hwnd());
    const std::wstring expected = window_placement::FormatRect(window_placement::DefaultRect(work));
    EXPECT_EQ(expected, config->last_position);
    // Below 700 x 500 (a 1024 x 768 work area) the default opens maximised.
    if (window_placement::Decide(expected, work).maximize) {
      Pump();
      EXPECT_TRUE(IsZoomed(window.hwnd()));
    } else {
      EXPECT_EQ(expected, window.Rect());
      EXPECT_FALSE(IsZoomed(window.hwnd()));
      EXPECT_FALSE(IsWindowVisible(window.hwnd()));  // placing does not show it
    }
  }
  {
    TestWindow window;
    config->last_position = window_placement::FormatRect(
        {work.left + 40, work.top + 30, work.left + 840, work.top + 630});
    config->RestoreWindowPlacement(window.hwnd());
    EXPECT_EQ(config->last_position, window.Rect());
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));  // placing does not show it
  }
  {
    // Partly off the right edge: shifted back.
    TestWindow window;
    config->last_position = window_placement::FormatRect(
        {work.right - 300, work.top + 10, work.right + 500, work.top + 610});
    config->RestoreWindowPlacement(window.hwnd());
    EXPECT_EQ(
        window_placement::FormatRect({work.right - 800, work.top + 10, work.right, work.top + 610}),
        window.Rect());
  }
  {
    // Which texts maximise is covered by the placement table; this is what
    // maximising does to a real window.
    TestWindow window;
    config->last_position = L"MAX";
    config->RestoreWindowPlacement(window.hwnd());
    Pump();
    EXPECT_TRUE(IsZoomed(window.hwnd()));
    // Restoring a maximised start gives the default rectangle, not a stray size.
    ShowWindow(window.hwnd(), SW_RESTORE);
    Pump();
    EXPECT_EQ(window_placement::FormatRect(window_placement::DefaultRect(work)), window.Rect());
  }
}

TEST(AppConfigWindowTest, SaveRecordsRectangleOrMax) {
  const RECT work = WorkArea();
  ConfigSandbox sandbox(L"config-window-save");
  auto config = sandbox.MakeConfig();
  TestWindow window;
  const RECT placed = {work.left + 50, work.top + 40, work.left + 850, work.top + 640};
  MoveWindow(window.hwnd(), placed.left, placed.top, 800, 600, FALSE);
  ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
  Pump();
  config->SaveWindowPlacement(window.hwnd());
  EXPECT_EQ(window_placement::FormatRect(placed), config->last_position);

  // Minimised: the rectangle it comes back to, not the off-screen one.
  ShowWindow(window.hwnd(), SW_MINIMIZE);
  Pump();
  if (IsIconic(window.hwnd())) {
    config->SaveWindowPlacement(window.hwnd());
    EXPECT_EQ(window_placement::FormatRect(placed), config->last_position);
  }
  ShowWindow(window.hwnd(), SW_RESTORE);
  ShowWindow(window.hwnd(), SW_MAXIMIZE);
  Pump();
  ASSERT_TRUE(IsZoomed(window.hwnd()));
  config->SaveWindowPlacement(window.hwnd());
  EXPECT_EQ(L"MAX", config->last_position);

  config->SaveWindowPlacement(nullptr);  // no window: nothing changes
  EXPECT_EQ(L"MAX", config->last_position);
}

TEST(AppConfigWindowTest, NextStartReopensWhereTheWindowWasLeft) {
  const RECT work = WorkArea();
  ConfigSandbox sandbox(L"config-window-roundtrip");
  const RECT placed = {work.left + 70, work.top + 60, work.left + 870, work.top + 660};
  {
    auto config = sandbox.MakeConfig();
    TestWindow window;
    MoveWindow(window.hwnd(), placed.left, placed.top, 800, 600, FALSE);
    config->SaveWindowPlacement(window.hwnd());
    config->Save();
  }
  auto next_start = sandbox.MakeConfig();
  TestWindow window;
  next_start->RestoreWindowPlacement(window.hwnd());
  EXPECT_EQ(window_placement::FormatRect(placed), window.Rect());
}
