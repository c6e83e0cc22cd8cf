#pragma once

#include <windows.h>

#include <string>

// The viewer's one message box for texts the user must see (a failed save,
// a refused conversion). Modal, centred on owner (on the screen without
// one), a single button whose text is button_text, or the platform's "OK"
// when that is empty. Returns the button's result, IDOK.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& button_text = L"");
