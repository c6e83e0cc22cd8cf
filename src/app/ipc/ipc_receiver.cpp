#include "app/ipc/ipc_receiver.h"

#include "app/app_names.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

// The Ex form exists from Windows 7; Vista only has the process-wide filter.
void AllowCopyDataFromLowerIntegrity(HWND hwnd) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  using FilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
  if (auto filter_ex = reinterpret_cast<FilterExFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")))) {
    filter_ex(hwnd, WM_COPYDATA, 1 /* MSGFLT_ALLOW */, nullptr);
  } else if (auto filter = reinterpret_cast<FilterFn>(
                 reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")))) {
    filter(WM_COPYDATA, 1 /* MSGFLT_ADD */);
  }
}

HWND ApplicationMainWindow() {
  CWinApp* app = CWinApp::GetApp();
  return app && app->main_window ? app->main_window->GetSafeHwnd() : nullptr;
}

}  // namespace

CIPCReceiver::CIPCReceiver() : CIPCReceiver(kInstanceWindowName, true) {}

CIPCReceiver::CIPCReceiver(const wchar_t* window_name, bool pass_wparam)
    : pass_wparam_(pass_wparam) {
  if (CreateMessageWindow(window_name)) {
    AllowCopyDataFromLowerIntegrity(hwnd);
  }
}

LRESULT CIPCReceiver::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_COPYDATA) {
    return FCMessageWindow::HandleMessage(message, wparam, lparam);
  }
  HWND main_window = ApplicationMainWindow();
  if (!main_window || !IsWindow(main_window)) {
    return 0;
  }
  return SendMessageW(main_window, WM_COPYDATA, pass_wparam_ ? wparam : 0, lparam);
}

CIPCAlwaysReceiver::CIPCAlwaysReceiver() : CIPCReceiver(kAlwaysWindowName, false) {}
