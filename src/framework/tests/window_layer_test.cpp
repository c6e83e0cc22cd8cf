#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/file_dialog.h"
#include "framework/gdi_objects.h"
#include "framework/handle.h"
#include "framework/ui_thread.h"
#include "framework/wnd.h"

#include <thread>

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

// A pop-up of the tests' own class, hidden unless style says otherwise.
bool CreatePopup(CWnd& wnd, const RECT& rect, const wchar_t* title = L"", DWORD style = WS_POPUP) {
  CWnd::CreateArgs args;
  args.class_name = L"lumora_test_wnd";
  args.title = title;
  args.style = style;
  args.rect = rect;
  return wnd.Create(args);
}

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
    ASSERT_TRUE(CreatePopup(wnd, {0, 0, 50, 40}, L"t"));
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
  ASSERT_TRUE(CreatePopup(wnd, {0, 0, 10, 10}));
  HWND hwnd = wnd.GetSafeHwnd();
  DestroyWindow(hwnd);
  EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
  EXPECT_TRUE(wnd.nc_destroyed);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST(WindowLayer, SubclassedControlKeepsItsBehaviour) {
  RecordingWnd parent;
  ASSERT_TRUE(CreatePopup(parent, {0, 0, 100, 100}));
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

// Records the decoded handlers; each one claims its message when asked to.
class DecodingWnd : public CWnd {
 public:
  bool OnSize(UINT type, int width, int height) override {
    size = {static_cast<int>(type), width, height};
    return claim;
  }
  bool OnPaint() override {
    ++paints;
    if (claim) {
      PAINTSTRUCT paint;
      BeginPaint(hwnd_, &paint);
      EndPaint(hwnd_, &paint);
    }
    return claim;
  }
  bool OnTimer(UINT_PTR id) override {
    timer = id;
    return claim;
  }
  bool OnCommand(UINT id, UINT code, HWND control) override {
    command = {static_cast<int>(id), static_cast<int>(code)};
    command_control = control;
    return claim;
  }

  bool claim = true;
  std::vector<int> size;
  int paints = 0;
  UINT_PTR timer = 0;
  std::vector<int> command;
  HWND command_control = nullptr;
};

TEST(WindowLayer, CommonMessagesArriveDecoded) {
  DecodingWnd wnd;
  ASSERT_TRUE(CreatePopup(wnd, {0, 0, 30, 20}, L"", WS_POPUP | WS_VISIBLE));
  SendMessageW(wnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
  EXPECT_EQ(wnd.size, (std::vector<int>{SIZE_MAXIMIZED, 640, 480}));
  SendMessageW(wnd, WM_TIMER, 4097, 0);
  EXPECT_EQ(wnd.timer, 4097u);
  HWND control = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
  EXPECT_EQ(SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(20006, 1), reinterpret_cast<LPARAM>(control)),
            0);
  EXPECT_EQ(wnd.command, (std::vector<int>{20006, 1}));
  EXPECT_EQ(wnd.command_control, control);
  InvalidateRect(wnd, nullptr, FALSE);
  UpdateWindow(wnd);
  EXPECT_EQ(wnd.paints, 1);
  EXPECT_FALSE(GetUpdateRect(wnd, nullptr, FALSE));
}

TEST(WindowLayer, UnclaimedMessagesReachTheDefaultProcedure) {
  DecodingWnd wnd;
  wnd.claim = false;
  ASSERT_TRUE(CreatePopup(wnd, {0, 0, 30, 20}, L"", WS_POPUP | WS_VISIBLE));
  // Only the default procedure validates the window when the handler
  // leaves the paint alone.
  InvalidateRect(wnd, nullptr, FALSE);
  UpdateWindow(wnd);
  EXPECT_EQ(wnd.paints, 1);
  EXPECT_FALSE(GetUpdateRect(wnd, nullptr, FALSE));
  // WM_CLOSE is not decoded: the default procedure destroys the window.
  SendMessageW(wnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
}

TEST(WindowLayer, CreateArgumentsReachTheClassAndTheWindow) {
  RecordingWnd parent;
  ASSERT_TRUE(CreatePopup(parent, {0, 0, 100, 100}));
  RecordingWnd child;
  CWnd::CreateArgs args;
  args.class_name = L"lumora_test_child";
  args.title = L"child";
  args.style = WS_CHILD;
  args.ex_style = WS_EX_TRANSPARENT;
  args.rect = {5, 6, 25, 16};
  args.parent = parent;
  args.id_or_menu = 77;
  args.class_style = CS_HREDRAW | CS_VREDRAW;
  ASSERT_TRUE(child.Create(args));
  EXPECT_EQ(GetParent(child), parent.GetSafeHwnd());
  EXPECT_EQ(GetDlgCtrlID(child), 77);
  EXPECT_NE(GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
  EXPECT_EQ(GetClassLongPtrW(child, GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));
  RECT rect = child.GetWindowRect();
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.top, 6);
  EXPECT_EQ(rect.right, 25);
  EXPECT_EQ(rect.bottom, 16);
  // A message-only window, as the channel makes.
  RecordingWnd message_only;
  args = {};
  args.class_name = L"lumora_test_message_only";
  args.parent = HWND_MESSAGE;
  ASSERT_TRUE(message_only.Create(args));
  EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"lumora_test_message_only", nullptr),
            message_only.GetSafeHwnd());
}

TEST(WindowLayer, UiThreadIsTheOneThatSetIt) {
  // Before start-up every thread counts.
  bool other_before = false;
  std::thread([&] { other_before = IsUiThread(); }).join();
  EXPECT_TRUE(other_before);
  SetUiThread();
  bool other_after = true;
  std::thread([&] { other_after = IsUiThread(); }).join();
  EXPECT_TRUE(IsUiThread());
  EXPECT_FALSE(other_after);
}

TEST(WindowLayer, HandleGuardsCloseOnceAndHandOver) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  HANDLE duplicate = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), raw, GetCurrentProcess(), &duplicate, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  {
    CHandle owned(raw);
    EXPECT_TRUE(owned);
    CHandle moved(std::move(owned));
    EXPECT_FALSE(owned);
    EXPECT_EQ(moved.get(), raw);
  }
  // The guard closed its handle; the duplicate keeps the event alive.
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(raw, &flags));
  EXPECT_TRUE(GetHandleInformation(duplicate, &flags));
  {
    CHandle kept(duplicate);
    EXPECT_EQ(kept.Detach(), duplicate);
  }
  EXPECT_TRUE(GetHandleInformation(duplicate, &flags));
  CloseHandle(duplicate);
  // A failed CreateFileW is no handle at all.
  const CHandle failed(CreateFileW(L"Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(failed);
  WIN32_FIND_DATAW found;
  const CFindHandle search(FindFirstFileW(L"Z:\\no\\such\\folder\\*", &found));
  EXPECT_FALSE(search);
}

TEST(WindowLayer, ModalDialogRunsItsOwnLoop) {
  RecordingWnd owner;
  ASSERT_TRUE(CreatePopup(owner, {0, 0, 10, 10}));
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
