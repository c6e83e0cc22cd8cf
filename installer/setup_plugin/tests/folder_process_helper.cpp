// Stands in for the programs of an installed folder in the plugin's tests.
//   viewer  a main window of the viewer's class that ends with exit code 7
//           when its close button's command arrives
//   deaf    the same window, ignoring that command
//   plain   no window at all, like the tray program between messages
#include <windows.h>

#include <cwchar>

#include "app/app_names.h"
#include "resource_ids.h"

namespace {

constexpr int kClosedItself = 7;
bool g_deaf = false;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == IDC_CLOSE_BUTTON && !g_deaf) {
    PostQuitMessage(kClosedItself);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
  if (wcscmp(arguments, L"plain") == 0) {
    Sleep(INFINITE);
    return 0;
  }
  g_deaf = wcscmp(arguments, L"deaf") == 0;
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kMainFrameClassName;
  RegisterClassW(&window_class);
  CreateWindowExW(0, kMainFrameClassName, L"Lumora", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                  nullptr, instance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
