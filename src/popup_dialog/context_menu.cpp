#include "popup_dialog/context_menu.h"

#include <string>

#include "main_messages.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_list.h"

namespace {

constexpr int kCommands[CContextMenu::kItemCount] = {21000, 21002, 20009, 21003, 21100,
                                                     21001, 20002, 20013, 21101, 20000};
// The left edge of each item's icon in the icon strips; 0: no icon.
constexpr int kIconX[CContextMenu::kItemCount] = {0, 20, 40, 60, 80, 100, 0, 0, 140, 160};
constexpr int kActualSizeItem = 6;
constexpr int kInfoItem = 9;

CLabelUI* FirstLabel(CControlUI* item) {
  auto* row = dynamic_cast<CContainerUI*>(item);
  if (!row) {
    return nullptr;
  }
  for (int i = 0; i < row->GetCount(); ++i) {
    if (auto* label = dynamic_cast<CLabelUI*>(row->GetItemAt(i))) {
      return label;
    }
  }
  return nullptr;
}

}  // namespace

RECT CContextMenu::Placement(POINT at, const RECT& owner, const RECT& work) {
  RECT r = {at.x, at.y, at.x + kWidth, at.y + kHeight};
  if (owner.bottom < at.y + kHeight) {
    r.bottom = owner.bottom;
    r.top = owner.bottom - kHeight;
  }
  if (work.right < at.x + kWidth) {
    r.right = work.right;
    r.left = work.right - kWidth;
  }
  return r;
}

bool CContextMenu::ItemEnabled(int index, const State& state) {
  switch (index) {
    case 0:
    case 7:
      return true;
    case 1:
    case 5:
    case 6:
      return state.loaded;
    case 2:
    case 3:
      return state.file_exists;
    case 4:
    case 8:
    case 9:
      return state.file_exists && state.loaded;
    default:
      return false;
  }
}

int CContextMenu::ItemCommand(int index) {
  return index >= 0 && index < kItemCount ? kCommands[index] : -1;
}

bool CContextMenu::Open(HWND parent, POINT at) {
  RECT owner = {};
  ::GetWindowRect(owner_, &owner);
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT r = Placement(at, owner, work);
  top_left_ = {r.left, r.top};
  if (!Create(parent, L"", kSkinnedPopupStyle, WS_EX_TOOLWINDOW, r)) {
    return false;
  }
  ShowWindow(true, true);
  return true;
}

void CContextMenu::InitWindow() {
  SetWindowPos(hwnd_, HWND_TOP, top_left_.x, top_left_.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  auto* list = dynamic_cast<CListUI*>(paint_manager_.FindControl(L"list_menu"));
  for (int i = 0; list && i < list->GetCount() && i < kItemCount; ++i) {
    CControlUI* item = list->GetItemAt(i);
    const bool enabled = ItemEnabled(i, state_);
    item->SetTag(kCommands[i]);
    item->SetEnabled(enabled);
    CLabelUI* label = FirstLabel(item);
    if (!label) {
      continue;
    }
    // The icon label and the text beside it both look disabled.
    auto* row = dynamic_cast<CContainerUI*>(item);
    for (int j = 0; row && j < row->GetCount(); ++j) {
      row->GetItemAt(j)->SetEnabled(enabled);
    }
    if (i == kActualSizeItem) {
      label->SetText(state_.actual_size ? L"1:1显示图片" : L"缩小以适应窗口");
    } else if (kIconX[i] != 0) {
      const int x = kIconX[i];
      const std::wstring dest = i == kInfoItem ? L"12,10,32,30" : L"12,8,32,28";
      label->SetBkImage(std::wstring(L"file='") +
                        (enabled ? L"images/icon.png" : L"images/disable_icon.png") +
                        L"' source='" + std::to_wstring(x) + L",0," + std::to_wstring(x + 20) +
                        L",20' dest='" + dest + L"'");
    }
  }
  CUseZipResourceDuiWnd::InitWindow();
}

void CContextMenu::Notify(TNotifyUI& msg) {
  if (msg.sType == ui_notify::kItemSelect && msg.pSender &&
      msg.pSender->GetName() == L"list_menu") {
    auto* list = dynamic_cast<CListUI*>(msg.pSender);
    if (CControlUI* item = list ? list->GetItemAt(static_cast<int>(msg.wParam)) : nullptr) {
      PostMessageW(owner_, UM_MENU_RESULT, item->GetTag(), 0);
    }
  }
  CUseZipResourceDuiWnd::Notify(msg);
}

LRESULT CContextMenu::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  if (IsInitialised()) {
    PostMessageW(owner_, UM_MENU_RESULT, static_cast<WPARAM>(-1), 0);
  }
  return 0;
}
