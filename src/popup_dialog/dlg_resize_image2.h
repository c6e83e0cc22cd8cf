#pragma once

#include <windows.h>

#include <string>

#include "popup_dialog/dlg_base.h"
#include "popup_dialog/resize_sizes.h"

class CEditUI;

// Asks for the new size of the picture on show and where to save it:
// presets, width and height in pixels and in percent, proportions locked or
// not. "ok" refuses a size that cannot be made (with the dialog's message)
// and otherwise asks for the target file; the dialog closes with 1 once one
// is chosen. "cancel", "cls" and Escape close with 2.
class DlgResizeImage2 : public CDlgBase {
 public:
  // The picture's upright size and path (the save dialog proposes a name
  // beside it).
  DlgResizeImage2(int source_width, int source_height, std::wstring current_path);

  const wchar_t* GetWindowClassName() const override { return L"DlgResizeImage2"; }
  std::wstring GetSkinFile() override { return L"modifysize.xml"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  void OnClick(TNotifyUI& msg) override;
  LRESULT ResponseDefaultKeyEvent(WPARAM wparam) override;
  // Shows the save dialog; a confirmed path becomes the target and the
  // dialog closes with 1, a cancelled one leaves it open. The save dialog is
  // owned by this one, so that the main window stays disabled when it is
  // cancelled.
  virtual void ChooseTargetAndFinish();

  const CResizeSizes& sizes() const { return sizes_; }
  const std::wstring& target_path() const { return target_path_; }

 private:
  void OnTextChanged(const std::wstring& name, CEditUI* edit);
  bool Locked();
  void ShowNumber(const wchar_t* name, int value);
  void ShowAll();

  CResizeSizes sizes_;
  std::wstring current_path_;
  std::wstring target_path_;
};
