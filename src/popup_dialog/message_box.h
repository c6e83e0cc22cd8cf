#pragma once

#include <windows.h>

#include <string>

// The one place message boxes are shown from, captioned with the
// application's name. platform_flags are MessageBoxW's MB_* flags; the
// result is MessageBoxW's (IDOK, IDCANCEL, ...).
int ShowMessageBox(HWND owner, const std::wstring& text, UINT platform_flags);
