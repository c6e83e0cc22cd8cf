#pragma once

#include <windows.h>

#include "popup_dialog/use_zip_resource_dui_wnd.h"

// The main menu (skin "menu.xml"): "list_menu" with seven items whose tags
// are their commands, and the mouse-wheel submenu "list_menu2" that flies
// out of item 3 ("wheel_menu"). Non-modal; the owner (the menu bar) destroys
// it when it reports its result.
class CMainMenu : public CUseZipResourceDuiWnd {
 public:
  // What the check marks show.
  struct Checks {
    bool default_viewer = false;  // set_default_viewer is not 0
    bool topmost = false;         // the main window is top-most
    int wheel_action = 0;         // mouse_wheel_action
  };

  static constexpr UINT_PTR kSubmenuTimer = 2021;
  static constexpr UINT kSubmenuGraceMs = 100;
  static constexpr int kWidth = 238;
  static constexpr int kHeight = 260;
  static constexpr int kSubmenuWidth = 144;

  CMainMenu(HWND owner, Checks checks) : owner_(owner), checks_(checks) {}

  // The menu's window rectangle for a menu bar at bar (screen coordinates)
  // inside the work area work: below the button, or above it when there is
  // no room below, with room for the submenu on the left.
  static RECT Placement(const RECT& bar, const RECT& work);

  // Creates the menu as a child of parent against the menu bar's rectangle
  // and shows it with the focus.
  bool Open(HWND parent, const RECT& bar);

  const wchar_t* GetWindowClassName() const override { return L"CMainMenu"; }
  std::wstring GetSkinFile() override { return L"menu.xml"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  LRESULT OnKillFocus(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

  // The submenu's behaviour, also driven by the tests.
  void ShowSubmenu();
  void OnSubmenuTimer();

 private:
  HWND owner_;
  Checks checks_;
};
