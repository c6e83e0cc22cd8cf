#pragma once

#include <windows.h>

#include <string>

#include "popup_dialog/use_zip_resource_dui_wnd.h"
#include "widgets/ui_event.h"

// The picture information window (skin "imginfo.xml"): file name, type, size
// on disk, dimensions, dates and the camera fields of the current picture,
// and its position with a link that shows it on a map. It follows the shown
// picture while open. Its owner is the main window; the toolbar holds the
// object. Closing it ("cls", Escape, the system close) asks the main window
// to toggle it off (command 20000), so that the toolbar's state follows.
class WndShowExif2 : public CUseZipResourceDuiWnd, public CUIEventObserver {
 public:
  explicit WndShowExif2(HWND main_window);
  ~WndShowExif2() override;

  // Creates the window hidden, places it for the information button's
  // screen rectangle and shows it.
  bool CreateAt(const RECT& button_rect);
  // Left edge on the button's left; opening downwards from the button's
  // bottom, or upwards from its top with the toolbar docked at the bottom;
  // kept inside the work area of the button's screen.
  void PlaceAt(const RECT& button_rect);
  // Reads the current picture again into every label.
  void RefreshLabels();
  // A label's text, empty when the skin lacks it.
  std::wstring LabelText(const wchar_t* name) const;

  const wchar_t* GetWindowClassName() const override { return L"WndShowExif2"; }
  std::wstring GetSkinFile() override { return L"imginfo.xml"; }
  void InitWindow() override;
  void OnClick(TNotifyUI& msg) override;
  LRESULT ResponseDefaultKeyEvent(WPARAM wparam) override;
  LRESULT OnClose(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

  void OnUIEvent(const CUIEventParam& event) override;

  // The window's top-left for a button rectangle, a window height and the
  // dock setting (1: toolbar at the bottom).
  static POINT PlacementFor(const RECT& button_rect, int window_height, int toolbar_dock);

 private:
  void AskToClose();

  HWND main_window_;
};
