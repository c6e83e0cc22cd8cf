#include "popup_dialog/message_box.h"

#include "l10n/lang_string.h"

int ShowMessageBox(HWND owner, const std::wstring& text, UINT platform_flags) {
  std::wstring caption = GetLangString(L"app", L"NAME");
  if (caption.empty()) {
    caption = L"Lumora";
  }
  return MessageBoxW(owner, text.c_str(), caption.c_str(), platform_flags);
}
