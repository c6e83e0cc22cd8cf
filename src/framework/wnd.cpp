#include "framework/wnd.h"

#include <commctrl.h>

namespace {

// Identifies our subclass among others on the same window.
constexpr UINT_PTR kSubclassId = 0x4C554D;
// The bound object, readable from the handle alone (the import libraries
// lack GetWindowSubclass).
constexpr const wchar_t* kObjectProperty = L"LumoraWndObject";

DWORD g_ui_thread = 0;

// The object waiting for its window in CreateEx on this thread.
thread_local CWnd* g_creating = nullptr;

// The procedure of the classes CreateEx registers; bound objects see every
// message first through their subclass. (Wine refuses DefWindowProcW itself
// as a class procedure.)
LRESULT CALLBACK PlainClassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

void SetUiThread() { g_ui_thread = GetCurrentThreadId(); }

bool IsUiThread() { return g_ui_thread == 0 || g_ui_thread == GetCurrentThreadId(); }

CWnd::~CWnd() { DestroyWindowNow(); }

bool CWnd::DestroyWindowNow() {
  if (!hwnd_) {
    return false;
  }
  const BOOL ok = ::DestroyWindow(hwnd_);
  // A window of another thread or one that refused: at least detach.
  if (hwnd_) {
    UnsubclassWindow();
  }
  return ok != FALSE;
}

bool CWnd::CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style,
                    const RECT& rect, HWND parent, UINT_PTR id_or_menu, UINT class_style,
                    HBRUSH background) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (!GetClassInfoExW(instance, class_name, &existing)) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = class_style;
    wc.lpfnWndProc = PlainClassProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = class_name;
    if (!RegisterClassExW(&wc)) {
      return false;
    }
  }
  // The class procedure is the default one; the window is bound to this
  // object by a creation hook before its first message.
  HHOOK hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
  CWnd* outer = g_creating;
  g_creating = this;
  HWND hwnd = ::CreateWindowExW(ex_style, class_name, title, style, rect.left, rect.top,
                                rect.right - rect.left, rect.bottom - rect.top, parent,
                                reinterpret_cast<HMENU>(id_or_menu), instance, nullptr);
  g_creating = outer;
  if (hook) {
    UnhookWindowsHookEx(hook);
  }
  if (!hwnd) {
    UnsubclassWindow();
    return false;
  }
  return true;
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && g_creating && !g_creating->hwnd_) {
    CWnd* self = g_creating;
    g_creating = nullptr;
    self->SubclassWindow(reinterpret_cast<HWND>(wparam));
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

bool CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || hwnd_) {
    return false;
  }
  if (!SetWindowSubclass(hwnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  SetPropW(hwnd, kObjectProperty, this);
  hwnd_ = hwnd;
  subclassed_ = true;
  return true;
}

bool CWnd::SubclassDlgItem(UINT id, HWND parent) { return SubclassWindow(GetDlgItem(parent, id)); }

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = hwnd_;
  if (hwnd && subclassed_) {
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    RemovePropW(hwnd, kObjectProperty);
  }
  subclassed_ = false;
  hwnd_ = nullptr;
  return hwnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  return hwnd ? static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = GetParent(hwnd)) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(msg)) {
      return TRUE;
    }
    if (hwnd == stop) {
      break;
    }
  }
  return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(message, wparam, lparam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::Default() {
  return DefSubclassProc(hwnd_, current_.message, current_.wparam, current_.lparam);
}

LRESULT CWnd::DefWindowProcW(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefSubclassProc(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR ref) {
  auto* self = reinterpret_cast<CWnd*>(ref);
  const CurrentMessage outer = self->current_;
  self->current_ = {message, wparam, lparam};
  const LRESULT result = self->WindowProc(message, wparam, lparam);
  self->current_ = outer;
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
    RemovePropW(hwnd, kObjectProperty);
    self->hwnd_ = nullptr;
    self->subclassed_ = false;
    self->PostNcDestroy();
  }
  return result;
}

RECT CWnd::GetClientRect() const {
  RECT rect = {};
  ::GetClientRect(hwnd_, &rect);
  return rect;
}

RECT CWnd::GetWindowRect() const {
  RECT rect = {};
  ::GetWindowRect(hwnd_, &rect);
  return rect;
}
