#include "app/ipc/ipc_receiver.h"

#include "app/app_names.h"
#include "basic_lib/win_util.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

HWND ApplicationMainWindow() {
  CWinApp* app = CWinApp::GetApp();
  return app && app->main_window ? app->main_window->GetSafeHwnd() : nullptr;
}

}  // namespace

CIPCReceiver::CIPCReceiver() : CIPCReceiver(kInstanceWindowName, true) {}

CIPCReceiver::CIPCReceiver(const wchar_t* window_name, bool pass_wparam)
    : pass_wparam_(pass_wparam) {
  if (CreateMessageWindow(window_name)) {
    win_util::AllowMessageFromLowerIntegrity(hwnd, WM_COPYDATA);
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
