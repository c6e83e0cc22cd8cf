#include "view_render/message_window.h"

#include <cstdint>
#include <cwchar>

FCMessageWindow::~FCMessageWindow() { DestroyMessageWindow(); }

LRESULT FCMessageWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

bool FCMessageWindow::CreateMessageWindow(const wchar_t* name) {
  DestroyMessageWindow();
  HINSTANCE instance = GetModuleHandleW(nullptr);

  // One class per module; registering it again fails harmlessly.
  wchar_t class_name[64];
  swprintf(class_name, 64, L"rodadad_msgwnd_%lld",
           static_cast<long long>(reinterpret_cast<intptr_t>(instance)));
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = class_name;
  RegisterClassExW(&wc);

  hwnd =
      CreateWindowExW(0, class_name, name, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (!hwnd) {
    return false;
  }
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

void FCMessageWindow::DestroyMessageWindow() {
  if (!hwnd) {
    return;
  }
  // Cleared first so that messages sent during destruction reach no object.
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
  hwnd = nullptr;
}

LRESULT CALLBACK FCMessageWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  auto* self = reinterpret_cast<FCMessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    return self->HandleMessage(message, wparam, lparam);
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
