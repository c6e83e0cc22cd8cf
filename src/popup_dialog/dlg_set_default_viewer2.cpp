#include "popup_dialog/dlg_set_default_viewer2.h"

#include "toolkit/ui_option.h"

bool DlgSetDefaultViewer2::NoTipTicked() {
  auto* box = dynamic_cast<COptionUI*>(paint_manager_.FindControl(L"notip"));
  return box && box->IsSelected();
}

void DlgSetDefaultViewer2::Finish(UINT result) {
  if (start_tip_ && NoTipTicked()) {
    *start_tip_ = 0;
  }
  Close(result);
}

void DlgSetDefaultViewer2::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"ok") {
    Finish(kAccepted);
  } else if (name == L"cancel" || name == L"cls") {
    Finish(kDeclined);
  } else {
    CDlgBase::OnClick(msg);
  }
}

// Escape declines: the base would close with 1, which here means yes.
LRESULT DlgSetDefaultViewer2::ResponseDefaultKeyEvent(WPARAM wparam) {
  if (wparam == VK_ESCAPE) {
    Finish(kDeclined);
    return TRUE;
  }
  return FALSE;
}
