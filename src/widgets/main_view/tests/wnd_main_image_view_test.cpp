#include "widgets/main_view/wnd_main_image_view.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "image/image_document.h"
#include "support/imaging.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"

namespace {

const auto* const g_imaging_environment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

// Its handler of kTakeCapture posts kMarker to itself and then takes the
// capture, so the marker is the next message the drag loop fetches.
constexpr UINT kTakeCapture = WM_APP + 21;
constexpr UINT kMarker = WM_APP + 22;
int g_markers = 0;

LRESULT CALLBACK ThiefProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kTakeCapture) {
    PostMessageW(hwnd, kMarker, 0, 0);
    SetCapture(hwnd);
    return 0;
  }
  if (message == kMarker) {
    ++g_markers;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST(MainImageView, TheMessageFetchedAsTheDragLosesTheCaptureIsStillDelivered) {
  test_support::ScratchFolder folder(L"image_view_drag");
  const std::wstring picture = folder.File(L"a.png");
  ASSERT_TRUE(test_support::WriteSolidPicture(picture, 400, 300, RGB(200, 40, 40)));

  WNDCLASSW wc = {};
  wc.lpfnWndProc = ThiefProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"image_view_test_window";
  RegisterClassW(&wc);
  HWND parent = CreateWindowW(wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                              nullptr, wc.hInstance, nullptr);
  HWND thief = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr);
  {
    WndMainImageView view;
    ASSERT_TRUE(view.Create(parent, 100, {0, 0, 600, 400}));
    CImageDocument::Instance()->Open(picture);
    view.OnImageChanged();
    ASSERT_NE(nullptr, view.view_model());

    g_markers = 0;
    PostMessageW(thief, kTakeCapture, 0, 0);
    // In the middle of the picture, away from the page-turn arrows.
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
    EXPECT_EQ(1, g_markers) << "delivered by the drag loop itself";
    ReleaseCapture();
    CImageDocument::Instance()->Close();
  }
  DestroyWindow(thief);
  DestroyWindow(parent);
}

}  // namespace
