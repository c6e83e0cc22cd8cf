#include "popup_dialog/main_menu.h"

#include <string>

#include "main_messages.h"
#include "toolkit/ui_list.h"

namespace {

constexpr const wchar_t* kCheckMark =
    L"file='images/icon1.png' source='20,0,40,20' dest='12,8,32,28'";
constexpr int kSubmenuTop = 113;
constexpr int kSubmenuBottom = 193;
constexpr int kWheelItem = 3;

RECT WorkArea() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

}  // namespace

RECT CMainMenu::Placement(const RECT& bar, const RECT& work) {
  const int h = bar.bottom - bar.top;
  RECT r = {bar.left, bar.top, bar.left + kWidth, bar.top + kHeight};
  if (work.right < r.left + kWidth) {
    r.right = work.right;
    r.left = r.right - kWidth;
  }
  bool flipped = false;
  if (work.bottom < bar.top + kHeight) {
    flipped = true;
    r.bottom = work.bottom - h;
    r.top = r.bottom - kHeight;
  }
  if (r.left < work.left) {
    r.left = work.left;
    r.right = bar.left + kWidth;
  }
  if (r.top < work.top) {
    r.top = work.top;
    r.bottom = bar.top + kHeight;
  }
  if (!flipped) {
    r.top += h;
    r.bottom += h;
  }
  r.left -= kSubmenuWidth;
  r.right -= kSubmenuWidth;
  return r;
}

bool CMainMenu::Open(HWND parent, const RECT& bar) {
  const RECT r = Placement(bar, WorkArea());
  if (!Create(parent, L"", kSkinnedPopupStyle, WS_EX_TOOLWINDOW, r)) {
    return false;
  }
  SetWindowPos(hwnd_, HWND_TOP, r.left, r.top, 0, 0, SWP_NOSIZE);
  ShowWindow(true, true);
  return true;
}

void CMainMenu::InitWindow() {
  static constexpr int kTags[] = {21000, 26002, 21600, 0, 21800, 21804, 21801};
  auto* list = dynamic_cast<CListUI*>(paint_manager_.FindControl(L"list_menu"));
  if (list) {
    for (int i = 0; i < list->GetCount() && i < 7; ++i) {
      CControlUI* item = list->GetItemAt(i);
      item->SetTag(kTags[i]);
      const bool checked = (i == 1 && checks_.default_viewer) || (i == 2 && checks_.topmost);
      item->SetBkImage(checked ? kCheckMark : L"");
    }
  }
  if (auto* sub = dynamic_cast<CListUI*>(paint_manager_.FindControl(L"list_menu2"))) {
    for (int i = 0; i < sub->GetCount() && i < 2; ++i) {
      CControlUI* item = sub->GetItemAt(i);
      item->SetTag(i == 0 ? 21700 : 21701);
      item->SetBkImage(checks_.wheel_action == i ? kCheckMark : L"");
    }
  }
  CUseZipResourceDuiWnd::InitWindow();
}

void CMainMenu::ShowSubmenu() {
  KillTimer(hwnd_, kSubmenuTimer);
  CControlUI* list = paint_manager_.FindControl(L"list_menu");
  CControlUI* sub = paint_manager_.FindControl(L"list_menu2");
  if (!list || !sub) {
    return;
  }
  const RECT list_pos = list->GetPos();
  POINT left_edge = {list_pos.left - kSubmenuWidth, 0};
  ClientToScreen(hwnd_, &left_edge);
  RECT pos = {list_pos.left - kSubmenuWidth, kSubmenuTop, list_pos.left, kSubmenuBottom};
  if (left_edge.x < WorkArea().left) {
    pos = {list_pos.right, kSubmenuTop, list_pos.right + kSubmenuWidth, kSubmenuBottom};
    // The window leaves room on the left only; it grows to hold the submenu
    // on the right (the list keeps its width).
    RECT client = {};
    ::GetClientRect(hwnd_, &client);
    if (client.right < pos.right) {
      RECT window = {};
      ::GetWindowRect(hwnd_, &window);
      ::SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left + pos.right - client.right,
                     window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // The submenu floats in the window's root, whose top-left is the client's.
  sub->SetAttribute(L"pos", std::to_wstring(pos.left) + L"," + std::to_wstring(pos.top) + L"," +
                                std::to_wstring(pos.right) + L"," + std::to_wstring(pos.bottom));
  sub->SetVisible(true);
  sub->NeedParentUpdate();
}

void CMainMenu::OnSubmenuTimer() {
  CControlUI* sub = paint_manager_.FindControl(L"list_menu2");
  if (!sub || !sub->IsVisible()) {
    return;
  }
  POINT cursor = {};
  GetCursorPos(&cursor);
  RECT screen = sub->GetPos();
  MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&screen), 2);
  if (PtInRect(&screen, cursor)) {
    return;
  }
  sub->SetVisible(false);
  KillTimer(hwnd_, kSubmenuTimer);
}

void CMainMenu::Notify(TNotifyUI& msg) {
  if (!msg.pSender) {
    CUseZipResourceDuiWnd::Notify(msg);
    return;
  }
  if (msg.sType == ui_notify::kMouseEnter && msg.pSender->GetName() == L"wheel_menu") {
    ShowSubmenu();
  } else if (msg.sType == ui_notify::kMouseLeave && msg.pSender->GetName() == L"wheel_menu") {
    SetTimer(hwnd_, kSubmenuTimer, kSubmenuGraceMs, nullptr);
  } else if (msg.sType == ui_notify::kItemSelect) {
    auto* list = dynamic_cast<CListUI*>(msg.pSender);
    const int index = static_cast<int>(msg.wParam);
    if (list && !(list->GetName() == L"list_menu" && index == kWheelItem)) {
      if (CControlUI* item = list->GetItemAt(index)) {
        PostMessageW(owner_, UM_MENU_RESULT, item->GetTag(), 0);
      }
    }
  }
  CUseZipResourceDuiWnd::Notify(msg);
}

LRESULT CMainMenu::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  if (IsInitialised() && ::IsWindow(owner_)) {
    PostMessageW(owner_, UM_MENU_RESULT, static_cast<WPARAM>(-1), 0);
  }
  return 0;
}

LRESULT CMainMenu::HandleCustomMessage(UINT message, WPARAM wparam, LPARAM, BOOL& handled) {
  if (message == WM_TIMER && wparam == kSubmenuTimer) {
    OnSubmenuTimer();
    handled = TRUE;
  }
  return 0;
}
