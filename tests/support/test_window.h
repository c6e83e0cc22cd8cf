#pragma once

#include <windows.h>

namespace test_support {

// A top-level window at (0, 0) of a class of the test's own, registered on
// first use with proc; the caller destroys it.
inline HWND CreateTestWindow(const wchar_t* class_name, WNDPROC proc, DWORD style, int width,
                             int height, DWORD ex_style = 0) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = class_name;
  RegisterClassExW(&wc);
  return CreateWindowExW(ex_style, class_name, class_name, style, 0, 0, width, height, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

}  // namespace test_support
