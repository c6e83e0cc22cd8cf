#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "framework/gdi_objects.h"
#include "framework/wnd.h"

namespace {

class RecordingWnd : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    messages.push_back(message);
    if (message == WM_APP + 1) {
      return 42;
    }
    return CWnd::WindowProc(message, wparam, lparam);
  }
  void PostNcDestroy() override { nc_destroyed = true; }

  std::vector<UINT> messages;
  bool nc_destroyed = false;
};

bool Saw(const std::vector<UINT>& messages, UINT message) {
  for (UINT m : messages) {
    if (m == message) {
      return true;
    }
  }
  return false;
}

TEST(WindowLayer, CreateBindsBeforeTheFirstMessageAndOwnsTheWindow) {
  HWND hwnd = nullptr;
  bool nc_destroyed = false;
  {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, L"lumora_test_wnd", L"t", WS_POPUP, {0, 0, 50, 40}, nullptr, 0));
    hwnd = wnd.GetSafeHwnd();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_FALSE(wnd.messages.empty());
    EXPECT_EQ(wnd.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_TRUE(Saw(wnd.messages, WM_CREATE));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &wnd);
    EXPECT_EQ(SendMessageW(hwnd, WM_APP + 1, 0, 0), 42);
    // Default processing still reaches the class procedure.
    wchar_t text[8] = {};
    GetWindowTextW(hwnd, text, 8);
    EXPECT_STREQ(text, L"t");
    RECT client = wnd.GetClientRect();
    EXPECT_EQ(client.right, 50);
    nc_destroyed = wnd.nc_destroyed;
    EXPECT_FALSE(nc_destroyed);
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowLayer, WindowDestroyedFromOutsideDetachesTheObject) {
  RecordingWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, L"lumora_test_wnd", L"", WS_POPUP, {0, 0, 10, 10}, nullptr, 0));
  HWND hwnd = wnd.GetSafeHwnd();
  DestroyWindow(hwnd);
  EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
  EXPECT_TRUE(wnd.nc_destroyed);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(WindowLayer, SubclassedControlKeepsItsBehaviour) {
  RecordingWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, L"lumora_test_wnd", L"", WS_POPUP, {0, 0, 100, 100}, nullptr, 0));
  HWND button = CreateWindowW(L"BUTTON", L"press", WS_CHILD | BS_PUSHBUTTON, 0, 0, 50, 20, parent,
                              reinterpret_cast<HMENU>(7), nullptr, nullptr);
  RecordingWnd control;
  ASSERT_TRUE(control.SubclassDlgItem(7, parent));
  EXPECT_EQ(control.GetSafeHwnd(), button);
  wchar_t text[16] = {};
  GetWindowTextW(button, text, 16);
  EXPECT_STREQ(text, L"press");
  EXPECT_TRUE(Saw(control.messages, WM_GETTEXT));
  EXPECT_EQ(control.UnsubclassWindow(), button);
  control.messages.clear();
  GetWindowTextW(button, text, 16);
  EXPECT_TRUE(control.messages.empty());
  DestroyWindow(button);
}

// An in-memory dialog template with one button, id 1001.
std::vector<WORD> MakeTemplate() {
  std::vector<WORD> t(64, 0);
  auto* dlg = reinterpret_cast<DLGTEMPLATE*>(t.data());
  dlg->style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  dlg->cdit = 1;
  dlg->cx = 100;
  dlg->cy = 60;
  // After the header: menu, class, title (all empty), then the item aligned
  // to a DWORD.
  size_t at = sizeof(DLGTEMPLATE) / sizeof(WORD) + 3;
  at = (at + 1) & ~static_cast<size_t>(1);
  auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(&t[at]);
  item->style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
  item->x = 5;
  item->y = 5;
  item->cx = 40;
  item->cy = 14;
  item->id = 1001;
  at += sizeof(DLGITEMTEMPLATE) / sizeof(WORD);
  t[at++] = 0xFFFF;
  t[at++] = 0x0080;  // button class atom
  t[at++] = 0;       // title
  t[at++] = 0;       // creation data
  return t;
}

class TestDialog : public CDialog {
 public:
  TestDialog(const void* memory_template, HWND parent) : CDialog(memory_template, parent) {}

  BOOL OnInitDialog() override {
    init_called = true;
    parent_enabled_during = parent_ && IsWindowEnabled(parent_);
    // A message for a child: PreTranslateMessage of the dialog sees it too.
    PostMessageW(GetDlgItem(hwnd_, 1001), WM_APP + 5, 0, 0);
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_APP + 5) {
      saw_child_message = msg->hwnd == GetDlgItem(hwnd_, 1001);
      PostMessageW(hwnd_, WM_COMMAND, IDOK, 0);
      return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
  }
  void OnOK() override { EndDialog(77); }

  bool init_called = false;
  bool parent_enabled_during = true;
  bool saw_child_message = false;
};

TEST(WindowLayer, ModalDialogRunsItsOwnLoop) {
  RecordingWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, L"lumora_test_wnd", L"", WS_POPUP, {0, 0, 10, 10}, nullptr, 0));
  std::vector<WORD> memory = MakeTemplate();
  TestDialog dialog(memory.data(), owner);
  EXPECT_EQ(dialog.DoModal(), 77);
  EXPECT_TRUE(dialog.init_called);
  EXPECT_FALSE(dialog.parent_enabled_during);
  EXPECT_TRUE(dialog.saw_child_message);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

TEST(WindowLayer, DialogClassCopyCreatesDialogs) {
  ASSERT_TRUE(CDialog::RegisterDialogClassCopy(L"lumora_test_dialog_class"));
  ASSERT_TRUE(CDialog::RegisterDialogClassCopy(L"lumora_test_dialog_class"));
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"lumora_test_dialog_class", &wc));
  EXPECT_EQ(wc.cbWndExtra, DLGWINDOWEXTRA);
}

TEST(WindowLayer, FilterSplitting) {
  const std::wstring split = CFileDialog::SplitFilter(L"JPEG|*.jpg|PNG|*.png||");
  EXPECT_EQ(split, std::wstring(L"JPEG\0*.jpg\0PNG\0*.png\0\0\0\0", 24));
  const std::wstring bare = CFileDialog::SplitFilter(L"A|*.a");
  EXPECT_EQ(bare, std::wstring(L"A\0*.a\0\0", 7));
}

TEST(WindowLayer, SelectObjectGuardRestoresThePreviousObject) {
  CMemoryDC dc(nullptr);
  HGDIOBJ before = GetCurrentObject(dc, OBJ_BRUSH);
  CBrush brush;
  ASSERT_TRUE(brush.CreateSolidBrush(RGB(1, 2, 3)));
  {
    CSelectObject select(dc, brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), static_cast<HGDIOBJ>(brush.get()));
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), before);
}

}  // namespace
