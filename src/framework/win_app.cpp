#include "framework/win_app.h"

#include "framework/wnd.h"

namespace {
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp(const wchar_t* app_name) : app_name_(app_name ? app_name : L"") { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) {
    g_app = nullptr;
  }
}

CWinApp* CWinApp::GetApp() { return g_app; }

int CWinApp::Run() {
  MSG msg;
  BOOL got;
  // A negative result is a message that could not be received; the loop
  // goes on.
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got < 0) {
      continue;
    }
    HWND main = main_window ? main_window->GetSafeHwnd() : nullptr;
    if (!main || !CWnd::WalkPreTranslateTree(main, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  exit_code_ = static_cast<int>(msg.wParam);
  return ExitInstance();
}

int CWinApp::RunApplication(HINSTANCE instance, const wchar_t* command_line) {
  CWinApp* app = GetApp();
  if (!app) {
    return -1;
  }
  SetUiThread();
  app->instance_ = instance;
  app->command_line_ = command_line ? command_line : L"";
  if (!app->InitInstance()) {
    return app->ExitInstance();
  }
  return app->Run();
}
