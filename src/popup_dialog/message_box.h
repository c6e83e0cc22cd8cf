#pragma once

#include <windows.h>

#include <string>

#include "popup_dialog/use_zip_resource_dui_wnd.h"

class CButtonUI;
class CLabelUI2;

// The viewer's one message box: a fixed skin ("msgbox.xml" from res.zip,
// or "msgbox1.xml" from the program's own zip resource 161 when the
// built-in flag is set) with the text and buttons added in code.
//
// Button types (low 4 bits): 0 OK (result 1); 1 OK (1) and Cancel (2);
// 4 Yes (6) and No (7). The close button gives 8, Escape 1.
class CMessageBox : public CUseZipResourceDuiWnd {
 public:
  static constexpr UINT kZipResourceId = 161;
  static constexpr UINT kCloseResult = 8;

  CMessageBox(const std::wstring& text, int type, const std::wstring& align, int builtin,
              const std::wstring& right_text = std::wstring());

  // Runs a box modally, centred on owner (on the screen without one, as at
  // start-up); returns its result.
  static int ShowMessage(HWND owner, const std::wstring& text, int type, const std::wstring& align,
                         int builtin);
  // One button showing button_text, text aligned left, from res.zip.
  static int ShowNotice(HWND owner, const std::wstring& text, const std::wstring& button_text);

  const wchar_t* GetWindowClassName() const override { return L"CMessageBox"; }
  std::wstring GetSkinFile() override { return builtin_ ? L"msgbox1.xml" : L"msgbox.xml"; }
  UILIB_RESOURCETYPE GetResourceType() const override {
    return builtin_ ? UILIB_ZIPRESOURCE : UILIB_ZIP;
  }
  UINT GetResourceID() const override { return kZipResourceId; }
  void InitWindow() override;
  void OnClick(TNotifyUI& msg) override;

  // The buttons and the message label as laid out (null when absent).
  CButtonUI* right_button() const { return right_button_; }
  CButtonUI* left_button() const { return left_button_; }
  CLabelUI2* message_label() const { return message_label_; }
  int right_result() const { return right_result_; }
  int left_result() const { return left_result_; }

 private:
  std::wstring text_;
  std::wstring align_;
  int type_;
  int builtin_;
  std::wstring right_text_;
  std::wstring left_text_;
  int right_result_ = 1;
  int left_result_ = 2;
  CButtonUI* right_button_ = nullptr;
  CButtonUI* left_button_ = nullptr;
  CLabelUI2* message_label_ = nullptr;
};
