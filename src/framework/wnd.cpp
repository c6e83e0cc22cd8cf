#include "framework/wnd.h"

#include <commctrl.h>

namespace {

// Identifies our subclass among others on the same window.
constexpr UINT_PTR kSubclassId = 0x4C554D;
// The bound object, readable from the handle alone (the import libraries
// lack GetWindowSubclass).
constexpr const wchar_t* kObjectProperty = L"LumoraWndObject";

// The object waiting for its window in CreateEx on this thread.
thread_local CWnd* g_creating = nullptr;

// The procedure of the classes CreateEx registers; bound objects see every
// message first through their subclass. (Wine refuses DefWindowProcW itself
// as a class procedure.)
LRESULT CALLBACK PlainClassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

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

bool CWnd::Create(const CreateArgs& args) {
  ASSERT_UI_THREAD();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW existing = {};
  existing.cbSize = sizeof(existing);
  if (!GetClassInfoExW(instance, args.class_name, &existing)) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = args.class_style;
    wc.lpfnWndProc = PlainClassProc;
    wc.hInstance = instance;
    wc.hIcon = args.icon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = args.background;
    wc.lpszClassName = args.class_name;
    if (!RegisterClassExW(&wc)) {
      return false;
    }
  }
  // The class procedure is the default one; the window is bound to this
  // object by a creation hook before its first message.
  HHOOK hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
  CWnd* outer = g_creating;
  g_creating = this;
  const RECT& rect = args.rect;
  HWND hwnd =
      ::CreateWindowExW(args.ex_style, args.class_name, args.title, args.style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, args.parent,
                        reinterpret_cast<HMENU>(args.id_or_menu), instance, nullptr);
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
  bool handled = false;
  switch (message) {
    case WM_SIZE:
      handled = OnSize(static_cast<UINT>(wparam), LOWORD(lparam), HIWORD(lparam));
      break;
    case WM_PAINT:
      handled = OnPaint();
      break;
    case WM_TIMER:
      handled = OnTimer(static_cast<UINT_PTR>(wparam));
      break;
    case WM_COMMAND:
      handled = OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      break;
    default:
      break;
  }
  return handled ? 0 : DefWindowProcW(message, wparam, lparam);
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
