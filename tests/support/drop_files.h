#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// Drops one file on a window of another process, as the shell does: the
// DROPFILES block is written into that process and WM_DROPFILES posted.
bool DropFileOnWindow(HWND target, const std::wstring& path, POINT at = {10, 40});

}  // namespace test_support
