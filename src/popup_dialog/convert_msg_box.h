#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "popup_dialog/list_wnd.h"
#include "popup_dialog/use_zip_resource_dui_wnd.h"

class COptionUI;

// The box that asks for the target format of a conversion (skin
// "convert_box.xml"): the file name, the option "dropList" styled as a
// drop-down that opens a CListWnd of the format labels below it, and the
// buttons "right_btn" (1), "left_btn" (2) and "cls" (8).
class CConvertMsgBox : public CUseZipResourceDuiWnd {
 public:
  static constexpr int kListHeight = 130;

  CConvertMsgBox(HWND owner, const std::wstring& file_name, std::vector<std::wstring> labels);
  ~CConvertMsgBox() override;

  // Creates the box owned by the owner, centres it on the owner and runs it
  // modally; returns the result (1 for OK).
  UINT RunModal();
  // The chosen label, -1 until one is chosen.
  int GetSelectedIndex() const { return selected_; }
  CListWnd* list_window() const { return list_.get(); }

  const wchar_t* GetWindowClassName() const override { return L"CConvertMsgBox"; }
  std::wstring GetSkinFile() override { return L"convert_box.xml"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  void OnClick(TNotifyUI& msg) override;
  LRESULT ResponseDefaultKeyEvent(WPARAM wparam) override;
  LRESULT OnKillFocus(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;
  LRESULT OnNcHitTest(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

 private:
  COptionUI* DropList() const;
  void ShowList();
  void HideList();
  void OnChoice(int index);

  HWND owner_;
  std::wstring file_name_;
  std::vector<std::wstring> labels_;
  std::unique_ptr<CListWnd> list_;
  int selected_ = -1;
};
