#pragma once

#include <windows.h>

#include "popup_dialog/main_menu.h"
#include "popup_dialog/use_zip_resource_dui_wnd.h"

// The picture's context menu (skin "context_menu.xml"): "list_menu" with ten
// items whose tags are their commands. Choosing an item posts
// UM_MENU_RESULT with the command to the owner (the image view); losing
// the focus posts it with -1. Non-modal; the owner destroys it.
class CContextMenu : public CUseZipResourceDuiWnd {
 public:
  // What the items' enabled states and item 6's text depend on.
  struct State {
    bool loaded = false;       // the document holds a loader
    bool file_exists = false;  // the document's path exists
    bool actual_size = true;   // the shared actual-size flag
  };

  static constexpr int kWidth = 260;
  static constexpr int kHeight = 366;
  static constexpr int kItemCount = 10;

  CContextMenu(HWND owner, State state) : owner_(owner), state_(state) {}

  // The window rectangle for a menu opened at (x, y) in screen coordinates,
  // with the owner's window rectangle owner and the work area work.
  static RECT Placement(POINT at, const RECT& owner, const RECT& work);
  static bool ItemEnabled(int index, const State& state);
  static int ItemCommand(int index);

  // Creates the menu as a child of parent at the screen point and shows it
  // with the focus.
  bool Open(HWND parent, POINT at);

  const wchar_t* GetWindowClassName() const override { return L"CContextMenu"; }
  std::wstring GetSkinFile() override { return L"context_menu.xml"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  LRESULT OnKillFocus(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

 private:
  HWND owner_;
  State state_;
  POINT top_left_ = {};
};
