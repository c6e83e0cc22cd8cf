#pragma once

#include <windows.h>

#include <string>

// The hand-over record a new process sends to a running viewer: WM_COPYDATA
// with wParam 0, tag kHandOverTag (app_names.h) and the UTF-16 text with its
// terminating zero. The receiver's answer is the only reply: nonzero means
// the request was taken and the sender may stop.

// Blocks until the receiver's user-interface thread has answered; 0 when
// there is no window.
LRESULT SendHandOverRecord(HWND receiver, const std::wstring& text);

// A hand-over receiver: the message-only window with this window name, of
// any class; null when no viewer keeps one.
HWND FindHandOverReceiver(const wchar_t* window_name);
