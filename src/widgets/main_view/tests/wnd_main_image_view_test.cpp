#include "widgets/main_view/wnd_main_image_view.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "config/app_config.h"
#include "image/image_document.h"
#include "support/imaging.h"
#include "support/test_paths.h"
#include "support/test_pictures.h"
#include "view_render/d2d_support.h"
#include "widgets/main_view/main_view_items.h"
#include "resource_ids.h"

namespace {

const auto* const g_imaging_environment =
    ::testing::AddGlobalTestEnvironment(new test_support::ImagingEnvironment);

// A shown picture starts Direct2D's warm-up on a pool thread; as the program
// does at exit, the process waits for it before it ends (a warm-up cut off
// by the process's end crashed it under Wine).
class Direct2DEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { view_render::CD2DFactory::Release(); }
};
const auto* const g_direct2d_environment =
    ::testing::AddGlobalTestEnvironment(new Direct2DEnvironment);

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

// The context menu offers 1:1 while the toolbar's toggle says so and "fit"
// once the picture is shown at actual size; without a document its picture
// and file commands are off.
TEST(MainImageView, ContextMenuStateFollowsTheActualSizeFlag) {
  CAppConfig* config = CAppConfig::GetInstance();
  const int32_t saved_flag = config->fit_toggle_state;
  CImageDocument::Instance()->Close();
  struct Case {
    int32_t flag;
    bool actual_size;
  };
  for (const Case& c : {Case{1, true}, Case{0, false}, Case{1, true}}) {
    config->fit_toggle_state = c.flag;
    const CContextMenu::State state = WndMainImageView::ContextMenuState();
    EXPECT_EQ(state.actual_size, c.actual_size) << "flag " << c.flag;
    EXPECT_FALSE(state.loaded);
    EXPECT_FALSE(state.file_exists);
  }
  config->fit_toggle_state = saved_flag;
}

// The wheel zooms when set to zoom and turns pages when set to turn pages;
// Ctrl swaps the two.
TEST(MainImageView, CtrlSwapsTheWheelsUse) {
  struct Case {
    int action;
    bool control;
    bool zooms;
  };
  for (const Case& c :
       {Case{1, false, true}, Case{1, true, false}, Case{0, false, false}, Case{0, true, true}}) {
    EXPECT_EQ(WndMainImageView::WheelZooms(c.action, c.control), c.zooms)
        << "action " << c.action << " ctrl " << c.control;
  }
}

// The welcome screen's open button asks for the open dialog at the press,
// before the button comes up.
bool g_open_asked = false;
bool g_asked_before_release = false;
HWND g_pressed_view = nullptr;

LRESULT CALLBACK OpenRecorderProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == ID_OPEN) {
    g_open_asked = true;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void CALLBACK ReleaseButton(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_asked_before_release = g_open_asked;
  PostMessageW(g_pressed_view, WM_LBUTTONUP, 0, 0);
}

TEST(MainImageView, TheWelcomeOpenButtonActsAtThePress) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = OpenRecorderProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"image_view_open_recorder";
  RegisterClassW(&wc);
  // The button's picture, from the program folder's resources.
  const std::wstring resources = CAppConfig::GetProgramFolder() + L"resources";
  const std::wstring picture = resources + L"\\home_open.png";
  CreateDirectoryW(resources.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((test_support::DistFolder() + L"\\resources\\home_open.png").c_str(),
                        picture.c_str(), FALSE));
  HWND parent = CreateWindowW(wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                              nullptr, wc.hInstance, nullptr);
  {
    WndMainImageView view;
    ASSERT_TRUE(view.Create(parent, 100, {0, 0, 800, 600}));
    CImageDocument::Instance()->Open(std::wstring());
    view.OnImageChanged();
    const CWidgetItem* open = view.FindItem(main_view::kWelcomeOpen);
    ASSERT_NE(open, nullptr) << "the welcome screen";
    ASSERT_FALSE(IsRectEmpty(&open->rect)) << "the button's picture";
    g_open_asked = false;
    g_asked_before_release = false;
    g_pressed_view = view;
    // Released 300 ms after the press, whether or not the press returns.
    SetTimer(nullptr, 0, 300, ReleaseButton);
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((open->rect.left + open->rect.right) / 2,
                            (open->rect.top + open->rect.bottom) / 2));
    MSG msg;
    for (DWORD end = GetTickCount() + 600; GetTickCount() < end;) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
    EXPECT_TRUE(g_open_asked);
    EXPECT_TRUE(g_asked_before_release);
  }
  DestroyWindow(parent);
  DeleteFileW(picture.c_str());
  RemoveDirectoryW(resources.c_str());
}

}  // namespace
