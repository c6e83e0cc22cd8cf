#include <windows.h>

#include <gtest/gtest.h>

#include "support/app_driver.h"
#include "support/test_paths.h"

namespace {

using test_support::LumoraProcess;

TEST(AppStart, ShowsFramelessCanvasWindowCaptionedLumora) {
  LumoraProcess app;
  ASSERT_TRUE(app.Start(L""));
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(app.WaitForCaption(L"Lumora"), L"Lumora");

  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0);

  RECT rect = {};
  GetWindowRect(main, &rect);
  EXPECT_GT(rect.right - rect.left, 300);
  EXPECT_GT(rect.bottom - rect.top, 200);
  SetForegroundWindow(main);
  test_support::PumpFor(500);
  // The canvas colour beside the welcome screen in the middle.
  const COLORREF canvas = test_support::ScreenPixel(rect.left + 20, (rect.top + rect.bottom) / 2);
  EXPECT_EQ(canvas, RGB(39, 39, 39));

  app.Close();
}

TEST(AppStart, ClosingEndsTheProcess) {
  LumoraProcess app;
  ASSERT_TRUE(app.Start(L"--from=desktop"));
  HWND main = app.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  DWORD exit_code = 1;
  EXPECT_TRUE(app.WaitForExit(10000, &exit_code));
  EXPECT_EQ(exit_code, 0u);
}

}  // namespace
