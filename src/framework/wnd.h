#pragma once

#include <windows.h>

// The window layer's base: binds a C++ object to an HWND (by subclassing, so
// it works for our own classes, dialogs and system controls alike) and routes
// every message through the virtual WindowProc. The object owns its window:
// destroying the object destroys the window.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Registers class_name once per process with the given class style and
  // background brush (may be null) and creates the window bound to this.
  bool CreateEx(DWORD ex_style, const wchar_t* class_name, const wchar_t* title, DWORD style,
                const RECT& rect, HWND parent, UINT_PTR id_or_menu, UINT class_style = CS_DBLCLKS,
                HBRUSH background = nullptr);
  bool SubclassWindow(HWND hwnd);
  bool SubclassDlgItem(UINT id, HWND parent);
  HWND UnsubclassWindow();
  bool DestroyWindowNow();

  // Every message of the window, before the previous window procedure.
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  // Messages of this window and its descendants before they are dispatched;
  // true consumes the message.
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Called after the window is gone (last message WM_NCDESTROY).
  virtual void PostNcDestroy() {}

  // The previous window procedure with the message being handled.
  LRESULT Default();
  LRESULT DefWindowProcW(UINT message, WPARAM wparam, LPARAM lparam);

  HWND GetSafeHwnd() const { return hwnd_; }
  operator HWND() const { return hwnd_; }
  bool IsWindow() const { return hwnd_ && ::IsWindow(hwnd_); }

  // The object bound to hwnd, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // Offers msg to the PreTranslateMessage of the bound windows from its
  // target up to (and including) stop; true when one consumed it.
  static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);

  RECT GetClientRect() const;
  RECT GetWindowRect() const;
  void Invalidate(BOOL erase = FALSE) const { ::InvalidateRect(hwnd_, nullptr, erase); }
  void InvalidateRect(const RECT& rect, BOOL erase = FALSE) const {
    ::InvalidateRect(hwnd_, &rect, erase);
  }

 protected:
  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR ref);
  static LRESULT CALLBACK CreationHook(int code, WPARAM wparam, LPARAM lparam);

  // The message being handled, for Default.
  struct CurrentMessage {
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  };
  CurrentMessage current_ = {};
  bool subclassed_ = false;
};

// The user-interface thread, remembered at start-up.
void SetUiThread();
bool IsUiThread();
