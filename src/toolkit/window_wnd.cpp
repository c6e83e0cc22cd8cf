#include "toolkit/window_wnd.h"

#include <algorithm>

#include "framework/ui_thread.h"

namespace {

// Registers class_name as a copy of super_name (same procedure), once.
bool RegisterSuperclass(const wchar_t* class_name, const wchar_t* super_name, UINT class_style) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, class_name, &wc)) {
    return true;
  }
  if (!GetClassInfoExW(nullptr, super_name, &wc) && !GetClassInfoExW(instance, super_name, &wc)) {
    return false;
  }
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance;
  wc.lpszClassName = class_name;
  wc.style |= class_style;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

CWindowWnd::~CWindowWnd() {
  if (modal_) {
    modal_->alive = false;
  }
}

bool CWindowWnd::Create(HWND parent, const wchar_t* name, DWORD style, DWORD ex_style,
                        const RECT& rect) {
  if (const wchar_t* super_name = GetSuperClassName()) {
    if (!RegisterSuperclass(GetWindowClassName(), super_name, GetClassStyle())) {
      return false;
    }
  }
  CreateArgs args;
  args.class_name = GetWindowClassName();
  args.title = name ? name : L"";
  args.style = style;
  args.ex_style = ex_style;
  args.rect = rect;
  args.parent = parent;
  args.class_style = GetClassStyle();
  return CWnd::Create(args);
}

void CWindowWnd::ShowWindow(bool show, bool take_focus) {
  if (hwnd_) {
    ::ShowWindow(hwnd_, show ? (take_focus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
  }
}

UINT CWindowWnd::ShowModal() {
  ASSERT_UI_THREAD();
  if (!hwnd_ || modal_) {
    return 0;
  }
  HWND self = hwnd_;
  CModalState state;
  state.owner = GetWindow(self, GW_OWNER);
  modal_ = &state;
  ::ShowWindow(self, SW_SHOWNORMAL);
  if (state.owner) {
    EnableWindow(state.owner, FALSE);
  }
  bool quit = false;
  WPARAM quit_code = 0;
  MSG msg = {};
  while (state.alive && ::IsWindow(self)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quit_code = msg.wParam;
      break;
    }
    if (got < 0) {
      continue;
    }
    // Messages of this window and its children see its pre-translation; the
    // walk stops here, so the owner's accelerators never see them.
    if (!CWnd::WalkPreTranslateTree(self, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (state.alive) {
    modal_ = nullptr;
  }
  if (state.owner && ::IsWindow(state.owner)) {
    EnableWindow(state.owner, TRUE);
    ::SetFocus(state.owner);
  }
  if (quit) {
    PostQuitMessage(static_cast<int>(quit_code));
  }
  return state.result;
}

void CWindowWnd::CenterWindow() {
  if (!hwnd_) {
    return;
  }
  RECT box = {};
  ::GetWindowRect(hwnd_, &box);
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &info);
  RECT anchor = info.rcWork;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    ::GetWindowRect(owner, &anchor);
  }
  int x = anchor.left + (anchor.right - anchor.left - width) / 2;
  int y = anchor.top + (anchor.bottom - anchor.top - height) / 2;
  x = std::max(static_cast<int>(info.rcWork.left),
               std::min(x, static_cast<int>(info.rcWork.right) - width));
  y = std::max(static_cast<int>(info.rcWork.top),
               std::min(y, static_cast<int>(info.rcWork.bottom) - height));
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::Close(UINT result) {
  if (hwnd_ && ::IsWindow(hwnd_)) {
    PostMessageW(hwnd_, WM_CLOSE, static_cast<WPARAM>(result), 0);
  }
}

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(message, wparam, lparam);
}

LRESULT CWindowWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCDESTROY) {
    final_hwnd_ = hwnd_;
  }
  if (message != WM_CLOSE || !modal_) {
    return HandleMessage(message, wparam, lparam);
  }
  // Sent or posted, the close of a modal run gives its result. The owner is
  // enabled before the window goes, so that the activation returns to it.
  CModalState* state = modal_;
  state->result = static_cast<UINT>(wparam);
  HWND self = hwnd_;
  if (state->owner) {
    EnableWindow(state->owner, TRUE);
    ::SetFocus(state->owner);
  }
  const LRESULT result = HandleMessage(message, wparam, lparam);
  if (state->alive && ::IsWindow(self) && modal_ == state && state->owner) {
    // The window refused to close: the run goes on.
    EnableWindow(state->owner, FALSE);
    ::SetFocus(self);
  }
  return result;
}

void CWindowWnd::PostNcDestroy() { OnFinalMessage(final_hwnd_); }
