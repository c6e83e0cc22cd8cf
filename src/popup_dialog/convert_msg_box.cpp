#include "popup_dialog/convert_msg_box.h"

#include "popup_dialog/dlg_base.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_option.h"

CConvertMsgBox::CConvertMsgBox(HWND owner, const std::wstring& file_name,
                               std::vector<std::wstring> labels)
    : owner_(owner), file_name_(file_name), labels_(std::move(labels)) {}

CConvertMsgBox::~CConvertMsgBox() {
  list_.reset();
  DestroyWindowNow();
}

UINT CConvertMsgBox::RunModal() { return RunSkinnedModal(*this, owner_); }

COptionUI* CConvertMsgBox::DropList() const {
  return dynamic_cast<COptionUI*>(paint_manager_.FindControl(L"dropList"));
}

void CConvertMsgBox::InitWindow() {
  if (CControlUI* name = paint_manager_.FindControl(L"filename")) {
    name->SetText(file_name_);
    name->SetToolTip(file_name_);
  }
  CUseZipResourceDuiWnd::InitWindow();
}

void CConvertMsgBox::ShowList() {
  COptionUI* drop = DropList();
  if (!drop) {
    return;
  }
  if (!list_ || !list_->GetHWND()) {
    list_ = std::make_unique<CListWnd>(hwnd_, labels_, CListWnd::kRowHeight);
    if (!list_->CreateAt(RECT{0, 0, 0, 0})) {
      list_.reset();
      return;
    }
  }
  RECT box = {};
  ::GetWindowRect(hwnd_, &box);
  const RECT& control = drop->GetPos();
  SetWindowPos(list_->GetHWND(), nullptr, box.left + control.left, box.top + control.bottom,
               control.right - control.left, kListHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  list_->ShowWindow(true, false);
}

void CConvertMsgBox::HideList() {
  if (list_ && list_->GetHWND()) {
    list_->ShowWindow(false);
  }
}

void CConvertMsgBox::OnChoice(int index) {
  COptionUI* drop = DropList();
  if (index >= 0 && index < static_cast<int>(labels_.size())) {
    selected_ = index;
    if (drop) {
      drop->SetText(labels_[static_cast<size_t>(index)]);
      drop->Selected(false, false);
    }
    return;
  }
  if (drop) {
    drop->Selected(false);
  }
}

void CConvertMsgBox::Notify(TNotifyUI& msg) {
  if (msg.sType == ui_notify::kSelectChanged && msg.pSender &&
      msg.pSender->GetName() == L"dropList") {
    if (static_cast<COptionUI*>(msg.pSender)->IsSelected()) {
      ShowList();
    } else {
      HideList();
    }
    return;
  }
  CUseZipResourceDuiWnd::Notify(msg);
}

void CConvertMsgBox::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender ? msg.pSender->GetName() : std::wstring();
  if (name == L"cls") {
    Close(8);
  } else if (name == L"right_btn") {
    Close(1);
  } else if (name == L"left_btn") {
    Close(2);
  }
}

LRESULT CConvertMsgBox::ResponseDefaultKeyEvent(WPARAM wparam) {
  // Escape is a cancel here: 1 would convert to the format chosen so far.
  if (wparam == VK_ESCAPE) {
    Close(2);
    return TRUE;
  }
  return CUseZipResourceDuiWnd::ResponseDefaultKeyEvent(wparam);
}

LRESULT CConvertMsgBox::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
  if (list_ && list_->GetHWND()) {
    SendMessageW(hwnd_, kListWndChoice, static_cast<WPARAM>(-1), 0);
  }
  handled = FALSE;
  return 0;
}

LRESULT CConvertMsgBox::OnNcHitTest(UINT, WPARAM, LPARAM lparam, BOOL&) {
  POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ScreenToClient(hwnd_, &point);
  RECT client = {};
  ::GetClientRect(hwnd_, &client);
  const RECT& caption = paint_manager_.GetCaptionRect();
  if (point.x >= client.left + caption.left && point.x < client.right - caption.right &&
      point.y >= caption.top && point.y < caption.bottom) {
    CControlUI* control = paint_manager_.FindControl(point);
    if (control && (dynamic_cast<CComboUI*>(control) || control->GetName() == L"filename")) {
      return HTCLIENT;
    }
    return HTCAPTION;
  }
  return HTCLIENT;
}

LRESULT CConvertMsgBox::HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam,
                                            BOOL& handled) {
  handled = FALSE;
  if (message == kListWndChoice) {
    handled = TRUE;
    OnChoice(static_cast<int>(wparam));
    return 0;
  }
  if (message == WM_NCLBUTTONDOWN && list_ && list_->GetHWND() &&
      IsWindowVisible(list_->GetHWND())) {
    POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
    ScreenToClient(hwnd_, &point);
    COptionUI* drop = DropList();
    if (drop && PtInRect(&drop->GetPos(), point)) {
      HideList();
      drop->Selected(false, false);
    }
  }
  return 0;
}
