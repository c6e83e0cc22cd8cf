#pragma once

#include <windows.h>

#include "framework/wnd.h"

// A top-level window of the toolkit: registers its class by name, hands its
// messages to HandleMessage, and runs modally on request. The object owns
// its window (destroying the object destroys it).
class CWindowWnd : public CWnd {
 public:
  CWindowWnd() = default;
  ~CWindowWnd() override;

  HWND GetHWND() const { return hwnd_; }

  // Creates the window of class GetWindowClassName (registered on first use
  // with GetClassStyle, as a copy of GetSuperClassName when there is one).
  // An empty rectangle leaves the size to the window.
  bool Create(HWND parent, const wchar_t* name, DWORD style, DWORD ex_style, const RECT& rect);
  void ShowWindow(bool show = true, bool take_focus = true);
  // Shows the window, disables its owner and pumps this thread's messages
  // until the window is closed; the wParam of its WM_CLOSE is the result.
  // The owner is enabled and focused again before the window goes away. A
  // WM_QUIT ends the run too, and is posted again for the outer loop. The
  // object may be deleted while it runs (the result is still returned).
  UINT ShowModal();
  bool IsModalRunning() const { return modal_ != nullptr; }
  // Centres on the owner (or on the work area without one), kept inside
  // the work area.
  void CenterWindow();
  // Posts WM_CLOSE with wParam result, if the window exists.
  virtual void Close(UINT result = IDOK);

  virtual const wchar_t* GetWindowClassName() const = 0;
  virtual const wchar_t* GetSuperClassName() const { return nullptr; }
  virtual UINT GetClassStyle() const { return CS_DBLCLKS; }
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  // After the window's last message; the object may delete itself here.
  virtual void OnFinalMessage(HWND /*hwnd*/) {}

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) final;

 protected:
  void PostNcDestroy() override;

 private:
  // Lives on the stack of ShowModal, so that the run survives the object.
  struct CModalState {
    bool alive = true;
    UINT result = 0;
    HWND owner = nullptr;
  };

  HWND final_hwnd_ = nullptr;
  CModalState* modal_ = nullptr;
};
