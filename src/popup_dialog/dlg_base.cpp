#include "popup_dialog/dlg_base.h"

#include "framework/win_app.h"
#include "log/my_log.h"

UINT RunSkinnedModal(WindowImplBase& window, HWND owner) {
  if (owner && !IsWindow(owner)) {
    owner = nullptr;
  }
  // Shown by the modal run once centred, not first at the screen's corner.
  if (!window.Create(owner, L"", kSkinnedPopupStyle & ~WS_VISIBLE, 0, RECT{0, 0, 0, 0})) {
    LOG_INFO << "Skinned window cannot be created: " << window.GetWindowClassName();
    return 0;
  }
  if (!window.GetPaintManager().GetRoot()) {
    LOG_INFO << "Skinned window has no content: " << window.GetWindowClassName();
    window.DestroyWindowNow();
    return 0;
  }
  window.CenterWindow();
  return window.ShowModal();
}

UINT CDlgBase::DoModal(HWND owner) {
  if (!owner) {
    if (CWinApp* app = CWinApp::GetApp()) {
      owner = app->main_window ? app->main_window->GetSafeHwnd() : nullptr;
    }
  }
  return RunSkinnedModal(*this, owner);
}
