#include "popup_dialog/dlg_delete_confirm2.h"

#include "toolkit/ui_option.h"

bool DlgDeleteConfirm2::NoTipTicked() {
  auto* box = dynamic_cast<COptionUI*>(paint_manager_.FindControl(L"notip"));
  return box && box->IsSelected();
}

void DlgDeleteConfirm2::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"ok") {
    if (show_confirm_ && NoTipTicked()) {
      *show_confirm_ = 0;
    }
    Close(1);
  } else if (name == L"cancel" || name == L"cls") {
    Close(2);
  } else {
    CDlgBase::OnClick(msg);
  }
}

LRESULT DlgDeleteConfirm2::ResponseDefaultKeyEvent(WPARAM wparam) {
  // The base closes with 1 on Escape, which here would delete the file.
  if (wparam == VK_ESCAPE) {
    Close(2);
    return TRUE;
  }
  return CDlgBase::ResponseDefaultKeyEvent(wparam);
}
