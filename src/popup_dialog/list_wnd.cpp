#include "popup_dialog/list_wnd.h"

#include "toolkit/ui_list.h"

namespace {

// The toolkit's dialog class style, given as the window style: an owned
// top-level window without the popup style.
constexpr DWORD kListWindowStyle = 0x80B;

}  // namespace

CListWnd::CListWnd(HWND owner, std::vector<std::wstring> items, int item_height)
    : owner_(owner), items_(std::move(items)), item_height_(item_height) {}

bool CListWnd::CreateAt(const RECT& rect) { return Create(owner_, L"", kListWindowStyle, 0, rect); }

LRESULT CListWnd::OnCreate(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) {
  const LRESULT result = CUseZipResourceDuiWnd::OnCreate(message, wparam, lparam, handled);
  if (owner_ && ::IsWindow(owner_)) {
    SetFocus(owner_);
  }
  return result;
}

void CListWnd::InitWindow() {
  if (auto* list = dynamic_cast<CListUI*>(paint_manager_.FindControl(L"list"))) {
    for (const std::wstring& text : items_) {
      auto* item = new CListElementUI();
      item->SetText(text);
      item->SetFixedHeight(item_height_);
      list->Add(item);
    }
  }
  CUseZipResourceDuiWnd::InitWindow();
}

void CListWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == ui_notify::kWindowInit) {
    const int count = static_cast<int>(items_.size());
    RECT window = {};
    ::GetWindowRect(hwnd_, &window);
    SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, kRowHeight * count + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (CControlUI* list = paint_manager_.FindControl(L"list")) {
      list->SetFixedHeight(kRowHeight * count);
    }
  } else if (msg.sType == ui_notify::kItemSelect && msg.pSender &&
             msg.pSender->GetName() == L"list") {
    PostMessageW(owner_, kListWndChoice, msg.wParam, 0);
    Close(1);
    return;
  }
  CUseZipResourceDuiWnd::Notify(msg);
}

LRESULT CListWnd::HandleCustomMessage(UINT message, WPARAM, LPARAM, BOOL& handled) {
  if (message == WM_MOUSEACTIVATE) {
    // Clicks choose an item without taking the activation from the owner.
    handled = TRUE;
    return MA_NOACTIVATE;
  }
  handled = FALSE;
  return 0;
}
