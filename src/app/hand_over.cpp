#include "app/hand_over.h"

#include "app/app_names.h"

LRESULT SendHandOverRecord(HWND receiver, const std::wstring& text) {
  if (!receiver || !IsWindow(receiver)) {
    return 0;
  }
  COPYDATASTRUCT record = {};
  record.dwData = kHandOverTag;
  record.cbData = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  record.lpData = const_cast<wchar_t*>(text.c_str());
  return SendMessageW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
}

HWND FindHandOverReceiver(const wchar_t* window_name) {
  return FindWindowExW(HWND_MESSAGE, nullptr, nullptr, window_name);
}
