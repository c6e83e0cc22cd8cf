#include "app/orvanedlg.h"

#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/app_config.h"
#include "resource_ids.h"
#include "support/test_paths.h"
#include "widgets/window_title.h"

namespace {

// Runs body inside the main window's modal loop, then closes the window.
void RunWithMainWindow(const std::function<void(COrvaneDlg&)>& body) {
  static COrvaneDlg* current = nullptr;
  static const std::function<void(COrvaneDlg&)>* current_body = nullptr;
  COrvaneDlg dialog;
  current = &dialog;
  current_body = &body;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    (*current_body)(*current);
    if (current->IsFullScreen()) {
      current->ToggleFullScreen();
    }
    current->EndDialog(IDCANCEL);
  });
  ASSERT_EQ(dialog.DoModal(), IDCANCEL);
}

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The window's start-up statistic needs the statistics module, found
    // already loaded; without it the process would end.
    LoadLibraryW((test_support::DistFolder() + L"\\common.dll").c_str());
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus_token_, &input, nullptr);
  }
  static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(gdiplus_token_); }
  void SetUp() override {
    // The window's placement must not come from an earlier run.
    CAppConfig* config = CAppConfig::GetInstance();
    config->last_position = L"100_80_1000_700";
    config->toolbar_dock = 1;
  }
  static ULONG_PTR gdiplus_token_;
};
ULONG_PTR MainWindowTest::gdiplus_token_ = 0;

TEST(MainWindowLayout, ChildRectanglesForBothToolbarPositions) {
  const struct {
    bool bottom;
    RECT toolbar;
    RECT view;
  } cases[] = {
      {true, {0, 538, 900, 598}, {0, 31, 900, 538}},
      {false, {0, 33, 900, 93}, {0, 93, 900, 600}},
  };
  for (const auto& c : cases) {
    const RECT toolbar = COrvaneDlg::ToolbarRect(900, 600, c.bottom);
    const RECT view = COrvaneDlg::ImageViewRect(900, 600, c.bottom);
    EXPECT_TRUE(EqualRect(&toolbar, &c.toolbar)) << c.bottom;
    EXPECT_TRUE(EqualRect(&view, &c.view)) << c.bottom;
  }
}

TEST_F(MainWindowTest, FramelessWithItsClassCaptionAndButtons) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    HWND hwnd = dialog.GetSafeHwnd();
    wchar_t class_name[64] = {};
    GetClassNameW(hwnd, class_name, 64);
    EXPECT_STREQ(class_name, L"LumoraMainFrameClass-b1f78b3cc4bd764c");
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION, 0);
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    EXPECT_STREQ(caption, L"Lumora");

    const RECT client = dialog.GetClientRect();
    const struct {
      int id;
      int right_offset;
    } buttons[] = {{IDC_CLOSE_BUTTON, 30}, {IDC_MAXIMIZE_BUTTON, 60}, {IDC_MINIMIZE_BUTTON, 90}};
    for (const auto& b : buttons) {
      RECT rect = {};
      GetWindowRect(GetDlgItem(hwnd, b.id), &rect);
      MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
      EXPECT_EQ(rect.left, client.right - b.right_offset) << b.id;
      EXPECT_EQ(rect.top, 1);
      EXPECT_EQ(rect.right - rect.left, 30);
      EXPECT_EQ(rect.bottom - rect.top, 30);
    }
  });
}

TEST_F(MainWindowTest, MinimumSizeAndMaximisedHeight) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    MINMAXINFO info = {};
    info.ptMaxPosition = {-8, -8};
    info.ptMaxSize = {100, 100};
    SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 700);
    EXPECT_EQ(info.ptMinTrackSize.y, 500);
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Default processing may overwrite the maximised position; the height
    // follows whatever position it leaves.
    const int above = info.ptMaxPosition.y < 0 ? -info.ptMaxPosition.y : 0;
    EXPECT_EQ(info.ptMaxSize.y, work.bottom - work.top + 2 * above);
  });
}

TEST_F(MainWindowTest, TitleStripDragsExceptInFullScreen) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    HWND hwnd = dialog.GetSafeHwnd();
    auto hit = [&](int x, int y) {
      POINT point = {x, y};
      ClientToScreen(hwnd, &point);
      return SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    };
    EXPECT_EQ(hit(300, 0), HTCAPTION);
    EXPECT_EQ(hit(300, 29), HTCAPTION);
    EXPECT_NE(hit(300, 30), HTCAPTION);
    EXPECT_NE(hit(300, 200), HTCAPTION);
    dialog.ToggleFullScreen();
    EXPECT_NE(hit(300, 10), HTCAPTION);
  });
}

TEST_F(MainWindowTest, FullScreenRestoresTheExactRectangle) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    HWND hwnd = dialog.GetSafeHwnd();
    SetWindowPos(hwnd, nullptr, 123, 77, 811, 577, SWP_NOZORDER);
    const RECT before = dialog.GetWindowRect();
    SendMessageW(hwnd, WM_COMMAND, ID_FULL_SCREEN, 0);
    EXPECT_TRUE(dialog.IsFullScreen());
    const RECT full = dialog.GetWindowRect();
    EXPECT_EQ(full.left, 0);
    EXPECT_EQ(full.top, 0);
    EXPECT_EQ(full.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(full.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(hwnd, IDC_MAXIMIZE_BUTTON)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, IDC_CLOSE_BUTTON)));
    // Escape in full screen only leaves full screen.
    dialog.OnCancel();
    EXPECT_FALSE(dialog.IsFullScreen());
    EXPECT_TRUE(dialog.IsModalRunning());
    const RECT after = dialog.GetWindowRect();
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, IDC_MAXIMIZE_BUTTON)));
  });
}

TEST_F(MainWindowTest, AlwaysOnTopToggles) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    HWND hwnd = dialog.GetSafeHwnd();
    SendMessageW(hwnd, WM_COMMAND, ID_ALWAYS_ON_TOP, 0);
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageW(hwnd, WM_COMMAND, ID_ALWAYS_ON_TOP, 0);
    EXPECT_FALSE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  });
}

TEST_F(MainWindowTest, ToolbarDockCommandsSetTheSetting) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    SendMessageW(dialog, WM_COMMAND, ID_TOOLBAR_TOP, 0);
    EXPECT_EQ(CAppConfig::GetInstance()->toolbar_dock, 0);
    SendMessageW(dialog, WM_COMMAND, ID_TOOLBAR_BOTTOM, 0);
    EXPECT_EQ(CAppConfig::GetInstance()->toolbar_dock, 1);
  });
}

TEST_F(MainWindowTest, HandOverRecordsAreReadSafely) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    HWND hwnd = dialog.GetSafeHwnd();
    auto send = [&](ULONG_PTR tag, const void* data, DWORD bytes) {
      COPYDATASTRUCT record = {tag, bytes, const_cast<void*>(data)};
      return SendMessageW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    };
    const wchar_t empty[] = L"";
    EXPECT_EQ(send(kHandOverTag, empty, sizeof(empty)), 1);
    EXPECT_EQ(send(kHandOverTag, nullptr, 0), 0);
    EXPECT_EQ(send(kHandOverTag, nullptr, 100), 0);
    EXPECT_EQ(send(0x1234, empty, sizeof(empty)), 0);
    // No terminating zero, an odd byte count, and a huge text.
    const wchar_t unterminated[3] = {L'a', L'b', L'c'};
    EXPECT_EQ(send(kHandOverTag, unterminated, sizeof(unterminated)), 1);
    EXPECT_EQ(send(kHandOverTag, unterminated, 5), 1);
    std::wstring huge(4 * 1024 * 1024, L'x');
    EXPECT_EQ(send(kHandOverTag, huge.c_str(), static_cast<DWORD>(huge.size() * 2)), 1);
    const wchar_t show[] = L"--show-existing";
    EXPECT_EQ(send(kHandOverTag, show, sizeof(show)), 1);
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    EXPECT_STREQ(caption, L"Lumora");
  });
}

TEST_F(MainWindowTest, RegionCutsTheFrameAway) {
  RunWithMainWindow([](COrvaneDlg& dialog) {
    HWND hwnd = dialog.GetSafeHwnd();
    // Two sizes: the region follows the window.
    for (const SIZE size : {SIZE{900, 600}, SIZE{1000, 640}}) {
      SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
      HRGN region = CreateRectRgn(0, 0, 0, 0);
      ASSERT_EQ(GetWindowRgn(hwnd, region), SIMPLEREGION) << "the region installed";
      RECT box = {};
      GetRgnBox(region, &box);
      const RECT client = dialog.GetClientRect();
      const RECT window = dialog.GetWindowRect();
      POINT origin = {0, 0};
      ClientToScreen(hwnd, &origin);
      // In window coordinates: a rounded rectangle (corners 0 by 0) from one
      // pixel left of the client area to two past its right edge, from the
      // client top to two below its bottom; such a region leaves out its
      // last column and row.
      const int client_left = origin.x - window.left;
      const int client_top = origin.y - window.top;
      EXPECT_EQ(box.left, client_left - 1);
      EXPECT_EQ(box.top, client_top);
      EXPECT_EQ(box.right, client_left + client.right + 1);
      EXPECT_EQ(box.bottom, client_top + client.bottom + 1);
      EXPECT_EQ(client.right, size.cx - 2 * client_left) << "the client fills the window";
      DeleteObject(region);
    }
  });
}

}  // namespace
