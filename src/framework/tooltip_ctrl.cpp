#include "framework/tooltip_ctrl.h"

bool CToolTipCtrl::Create(DWORD style) {
  DestroyWindow();
  // Without an owner: Wine refuses to make a window top-most while it owns
  // top-most popups, which would break the viewer's always-on-top command.
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  return hwnd_ != nullptr;
}

void CToolTipCtrl::DestroyWindow() {
  if (hwnd_) {
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
}

void CToolTipCtrl::Activate(bool active) {
  if (hwnd_) {
    SendMessageW(hwnd_, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
  }
}

bool CToolTipCtrl::AddTool(HWND owner, const wchar_t* text, const RECT& rect, UINT_PTR tool_id) {
  if (!hwnd_) {
    return false;
  }
  TOOLINFOW info = {};
  info.cbSize = sizeof(info);
  // Mouse messages reach the tooltip through RelayEvent, not by subclassing.
  info.uFlags = 0;
  info.hwnd = owner;
  info.uId = tool_id;
  info.rect = rect;
  info.hinst = nullptr;
  info.lpszText = const_cast<wchar_t*>(text);
  return SendMessageW(hwnd_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void CToolTipCtrl::RelayEvent(MSG* msg) {
  if (hwnd_) {
    SendMessageW(hwnd_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  }
}

int CToolTipCtrl::GetToolCount() const {
  return hwnd_ ? static_cast<int>(SendMessageW(hwnd_, TTM_GETTOOLCOUNT, 0, 0)) : 0;
}
