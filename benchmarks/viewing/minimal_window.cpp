// The yardstick for start-up: the least a Win32 program does to put up a
// painted window. On its first WM_PAINT it writes the wall-clock time
// (milliseconds since 1970, as the timing trace does) into the file named on
// its command line, and ends.

#include <windows.h>

#include <cstdio>

namespace {

const wchar_t* g_out = nullptr;

double WallMilliseconds() {
  FILETIME now = {};
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG units = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<double>(units - 116444736000000000ULL) / 10000.0;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
      EndPaint(hwnd, &paint);
      GdiFlush();
      if (g_out) {
        if (FILE* out = _wfopen(g_out, L"wb")) {
          fprintf(out, "%.3f\n", WallMilliseconds());
          fclose(out);
        }
        g_out = nullptr;
        PostQuitMessage(0);
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show) {
  g_out = command_line && *command_line ? command_line : nullptr;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = L"MinimalWindow";
  RegisterClassExW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
