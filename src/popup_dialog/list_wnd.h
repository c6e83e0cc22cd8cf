#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "popup_dialog/use_zip_resource_dui_wnd.h"

// Message a list window posts to its owner: wParam the chosen index (-1:
// nothing chosen, only close the drop-down).
constexpr UINT kListWndChoice = 3054;

// The drop-down list of the convert box: an owned top-level window (skin
// "listwnd.xml", control "list") that never takes the activation, so the
// focus stays with its owner. Choosing an item posts kListWndChoice to the
// owner and closes the window.
class CListWnd : public CUseZipResourceDuiWnd {
 public:
  static constexpr int kRowHeight = 32;

  CListWnd(HWND owner, std::vector<std::wstring> items, int item_height = 20);

  // Creates the window over rect (screen coordinates), hidden.
  bool CreateAt(const RECT& rect);

  const wchar_t* GetWindowClassName() const override { return L"CListWnd"; }
  std::wstring GetSkinFile() override { return L"listwnd.xml"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  LRESULT OnCreate(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

  const std::vector<std::wstring>& items() const { return items_; }

 private:
  HWND owner_;
  std::vector<std::wstring> items_;
  int item_height_;
};
