#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>

#include "framework/wnd.h"

// The tray program's hidden window and its notification-area icon with the
// menu "open the viewer" / "exit".
class CTrayWindow : public CWnd {
 public:
  struct Actions {
    std::function<void()> open_viewer;
    std::function<void()> exit_by_user;
  };

  explicit CTrayWindow(Actions actions);
  ~CTrayWindow() override;

  using CWnd::Create;
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }
  // Ends the program's message loop; safe to call from a message handler.
  void Quit();

  static constexpr const wchar_t* kClassName = L"LumoraTrayWindow";
  // Menu commands; other programs may post them too.
  static constexpr UINT kCommandOpenViewer = 1001;
  static constexpr UINT kCommandExit = 1002;

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnCommand(UINT id, UINT code, HWND control) override;
  // The program ends with its window.
  void PostNcDestroy() override;

 private:
  void AddIcon();
  void RemoveIcon();
  void ShowMenu();

  static constexpr UINT kIconMessage = WM_APP + 1;
  static constexpr UINT kIconId = 1;
  static constexpr UINT kQuitMessage = WM_APP + 2;

  Actions actions_;
  HICON icon_ = nullptr;
  bool icon_added_ = false;
  UINT taskbar_created_ = 0;
};
