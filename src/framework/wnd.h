#pragma once

#include <windows.h>

#include "framework/ui_thread.h"

// The window layer's base: binds a C++ object to an HWND (by subclassing, so
// it works for our own classes, dialogs and system controls alike) and routes
// every message through the virtual WindowProc. The object owns its window:
// destroying the object destroys the window. The common messages arrive
// decoded at the OnXxx handlers; the rest at WindowProc.
class CWnd {
 public:
  // What Create needs; the class is registered on first use with the class
  // style, background, icon and the arrow cursor.
  struct CreateArgs {
    const wchar_t* class_name = nullptr;
    const wchar_t* title = L"";
    DWORD style = 0;
    DWORD ex_style = 0;
    RECT rect = {};
    HWND parent = nullptr;
    // A child's id, or a top-level window's menu.
    UINT_PTR id_or_menu = 0;
    UINT class_style = CS_DBLCLKS;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
  };

  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Creates the window bound to this object before its first message.
  bool Create(const CreateArgs& args);
  bool SubclassWindow(HWND hwnd);
  bool SubclassDlgItem(UINT id, HWND parent);
  HWND UnsubclassWindow();
  bool DestroyWindowNow();

  // Every message of the window, before the previous window procedure. The
  // base decodes WM_SIZE, WM_PAINT, WM_TIMER and WM_COMMAND for the handlers
  // below and sends the rest, and whatever a handler leaves, to Default.
  virtual LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam);
  // Each returns true when it handled the message (the result is then 0).
  virtual bool OnSize(UINT /*type*/, int /*width*/, int /*height*/) { return false; }
  virtual bool OnPaint() { return false; }
  virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
  virtual bool OnCommand(UINT /*id*/, UINT /*code*/, HWND /*control*/) { return false; }
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
