#include "popup_dialog/effect_wnd.h"

#include "main_messages.h"
#include "popup_dialog/work_area.h"
#include "toolkit/ui_option.h"

namespace {

constexpr const wchar_t* kOptionNames[] = {L"brighter", L"colorful", L"hd"};

}  // namespace

CEffectWnd::CEffectWnd(HWND owner, int current_mode) : owner_(owner), current_mode_(current_mode) {}

CEffectWnd::~CEffectWnd() { DestroyWindowNow(); }

const wchar_t* CEffectWnd::OptionName(int mode) {
  return mode >= 1 && mode <= 3 ? kOptionNames[mode - 1] : nullptr;
}

bool CEffectWnd::CreateAt(POINT top_left) {
  if (!Create(owner_, L"", kSkinnedPopupStyle & ~WS_VISIBLE, WS_EX_TOOLWINDOW, RECT{})) {
    return false;
  }
  // Kept on the screen, for a toolbar at the top of a window at the top of
  // the screen.
  RECT window = {};
  ::GetWindowRect(hwnd_, &window);
  const SIZE size = {window.right - window.left, window.bottom - window.top};
  const POINT placed = work_area::KeptOnScreen(
      top_left, size, RECT{top_left.x, top_left.y, top_left.x + size.cx, top_left.y + size.cy});
  SetWindowPos(hwnd_, nullptr, placed.x, placed.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(true, true);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
  return true;
}

void CEffectWnd::InitWindow() {
  for (int mode = 1; mode <= 3; ++mode) {
    if (auto* option = dynamic_cast<COptionUI*>(paint_manager_.FindControl(OptionName(mode)))) {
      option->SetTag(static_cast<UINT_PTR>(mode));
      option->Selected(mode == current_mode_, false);
    }
  }
  CUseZipResourceDuiWnd::InitWindow();
}

void CEffectWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == ui_notify::kClick && msg.pSender) {
    const UINT_PTR mode = msg.pSender->GetTag();
    if (mode >= 1 && mode <= 3 && msg.pSender->GetName() == OptionName(static_cast<int>(mode))) {
      if (owner_) {
        PostMessageW(owner_, UM_EFFECT_CHOSEN, mode, 0);
      }
      return;
    }
  }
  CUseZipResourceDuiWnd::Notify(msg);
}

LRESULT CEffectWnd::OnKillFocus(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) {
  if (IsInitialised() && owner_) {
    PostMessageW(owner_, UM_EFFECT_CHOSEN, 0, 0);
  }
  return CUseZipResourceDuiWnd::OnKillFocus(message, wparam, lparam, handled);
}
