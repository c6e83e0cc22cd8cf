#pragma once

#include <cstdint>

#include "popup_dialog/dlg_base.h"

// Asks before a picture goes to the recycle bin. "ok" closes with 1 and,
// when "notip" is ticked, clears *show_confirm (the caller's setting, in
// memory); "cancel", "cls" and Escape close with 2 and leave the setting
// alone.
class DlgDeleteConfirm2 : public CDlgBase {
 public:
  explicit DlgDeleteConfirm2(int32_t* show_confirm) : show_confirm_(show_confirm) {}

  const wchar_t* GetWindowClassName() const override { return L"DlgDeleteConfirm2"; }
  std::wstring GetSkinFile() override { return L"deltip.xml"; }
  void OnClick(TNotifyUI& msg) override;
  LRESULT ResponseDefaultKeyEvent(WPARAM wparam) override;

 private:
  bool NoTipTicked();

  int32_t* show_confirm_;
};
