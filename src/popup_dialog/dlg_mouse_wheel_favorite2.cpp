#include "popup_dialog/dlg_mouse_wheel_favorite2.h"

#include "config/app_config.h"
#include "toolkit/ui_option.h"

namespace {

DlgMouseWheelFavorite2* g_current = nullptr;

}  // namespace

DlgMouseWheelFavorite2::DlgMouseWheelFavorite2(CAppConfig& config) : config_(config) {
  g_current = this;
}

DlgMouseWheelFavorite2::~DlgMouseWheelFavorite2() {
  if (g_current == this) {
    g_current = nullptr;
  }
}

DlgMouseWheelFavorite2* DlgMouseWheelFavorite2::Current() { return g_current; }

void DlgMouseWheelFavorite2::InitWindow() {
  if (auto* turn = dynamic_cast<COptionUI*>(paint_manager_.FindControl(L"turnpage"))) {
    turn->Selected(action_ == 0, false);
  }
  if (auto* zoom = dynamic_cast<COptionUI*>(paint_manager_.FindControl(L"zoom"))) {
    zoom->Selected(action_ == 1, false);
  }
  if (auto* no_tip = dynamic_cast<COptionUI*>(paint_manager_.FindControl(L"notip"))) {
    no_tip->Selected(no_tip_ != 0, false);
  }
  CDlgBase::InitWindow();
}

void DlgMouseWheelFavorite2::Notify(TNotifyUI& msg) {
  if (msg.sType == ui_notify::kSelectChanged && msg.pSender) {
    auto* option = dynamic_cast<COptionUI*>(msg.pSender);
    const std::wstring& name = msg.pSender->GetName();
    if (option && name == L"turnpage" && option->IsSelected()) {
      action_ = 0;
    } else if (option && name == L"zoom" && option->IsSelected()) {
      action_ = 1;
    } else if (option && name == L"notip") {
      no_tip_ = option->IsSelected() ? 1 : 0;
    }
    return;
  }
  CDlgBase::Notify(msg);
}

void DlgMouseWheelFavorite2::StoreAndClose() {
  if (no_tip_ != 0) {
    config_.show_wheel_favorite = 0;
  }
  config_.mouse_wheel_action = action_;
  config_.Save();
  Close(1);
}

void DlgMouseWheelFavorite2::OnClick(TNotifyUI& msg) {
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"ok") {
    StoreAndClose();
  } else if (name == L"cls") {
    action_ = 0;
    StoreAndClose();
  } else {
    CDlgBase::OnClick(msg);
  }
}

LRESULT DlgMouseWheelFavorite2::ResponseDefaultKeyEvent(WPARAM wparam) {
  // Escape closes like the close button, so the wheel is never left undecided.
  if (wparam == VK_ESCAPE) {
    action_ = 0;
    StoreAndClose();
    return TRUE;
  }
  return CDlgBase::ResponseDefaultKeyEvent(wparam);
}
