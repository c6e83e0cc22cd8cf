#include "popup_dialog/message_box.h"

#include <algorithm>

namespace {

// The box being set up on this thread: the hook sees it before it shows.
struct CBoxSetup {
  HHOOK hook = nullptr;
  HWND owner = nullptr;
  const std::wstring* button_text = nullptr;
};

thread_local CBoxSetup* t_setup = nullptr;

void CentreOn(HWND box, HWND owner) {
  RECT box_rect = {};
  GetWindowRect(box, &box_rect);
  const int width = box_rect.right - box_rect.left;
  const int height = box_rect.bottom - box_rect.top;
  RECT anchor = {};
  HMONITOR monitor = nullptr;
  if (owner && IsWindow(owner)) {
    GetWindowRect(owner, &anchor);
    monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
  } else {
    monitor = MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY);
  }
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  if (!owner) {
    anchor = info.rcWork;
  }
  // Centred on the owner, but never pushed off the owner's screen.
  int x = anchor.left + (anchor.right - anchor.left - width) / 2;
  int y = anchor.top + (anchor.bottom - anchor.top - height) / 2;
  x = std::max(static_cast<int>(info.rcWork.left),
               std::min(x, static_cast<int>(info.rcWork.right) - width));
  y = std::max(static_cast<int>(info.rcWork.top),
               std::min(y, static_cast<int>(info.rcWork.bottom) - height));
  SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CALLBACK RenameButton(HWND child, LPARAM text) {
  wchar_t class_name[16] = {};
  GetClassNameW(child, class_name, 16);
  if (lstrcmpiW(class_name, L"Button") == 0) {
    SetWindowTextW(child, reinterpret_cast<const wchar_t*>(text));
    return FALSE;
  }
  return TRUE;
}

LRESULT CALLBACK SetupHook(int code, WPARAM wparam, LPARAM lparam) {
  CBoxSetup* setup = t_setup;
  if (!setup) {
    return 0;
  }
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wparam);
    CentreOn(box, setup->owner);
    if (!setup->button_text->empty()) {
      EnumChildWindows(box, RenameButton, reinterpret_cast<LPARAM>(setup->button_text->c_str()));
    }
    // Only the box itself: anything it activates later keeps its own place.
    UnhookWindowsHookEx(setup->hook);
    setup->hook = nullptr;
    return 0;
  }
  return CallNextHookEx(setup->hook, code, wparam, lparam);
}

}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& button_text) {
  if (owner && !IsWindow(owner)) {
    owner = nullptr;
  }
  CBoxSetup setup;
  setup.owner = owner;
  setup.button_text = &button_text;
  setup.hook = SetWindowsHookExW(WH_CBT, SetupHook, nullptr, GetCurrentThreadId());
  t_setup = &setup;
  const int result = MessageBoxW(owner, text.c_str(), L"Lumora", MB_OK | MB_ICONINFORMATION);
  t_setup = nullptr;
  if (setup.hook) {
    UnhookWindowsHookEx(setup.hook);
  }
  return result;
}
