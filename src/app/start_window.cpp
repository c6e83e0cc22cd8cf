#include "app/start_window.h"

#include "app/app_names.h"

namespace {

constexpr COLORREF kCanvasColor = RGB(39, 39, 39);

// The window covers this share of the work area, centred.
RECT CenteredWindowRect() {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int work_w = work.right - work.left;
  const int work_h = work.bottom - work.top;
  const int w = work_w * 3 / 4;
  const int h = work_h * 3 / 4;
  const int x = work.left + (work_w - w) / 2;
  const int y = work.top + (work_h - h) / 2;
  return {x, y, x + w, y + h};
}

}  // namespace

CStartWindow::~CStartWindow() {
  if (hwnd_) {
    DestroyWindow(hwnd_);
  }
  if (canvas_brush_) {
    DeleteObject(canvas_brush_);
  }
}

bool CStartWindow::Create(int show_command) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  canvas_brush_ = CreateSolidBrush(kCanvasColor);

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = canvas_brush_;
  wc.lpszClassName = kMainFrameClassName;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kMainIconId));
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }

  const RECT rect = CenteredWindowRect();
  hwnd_ = CreateWindowExW(WS_EX_APPWINDOW, kMainFrameClassName, kProductName,
                          WS_POPUP | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU,
                          rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                          nullptr, nullptr, instance, this);
  if (!hwnd_) {
    return false;
  }
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);
  return true;
}

int CStartWindow::RunModal() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK CStartWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CStartWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  if (message == WM_NCCREATE) {
    self->hwnd_ = hwnd;
  }
  return self->OnMessage(message, wparam, lparam);
}

LRESULT CStartWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCALCSIZE:
      // No caption and no visible frame: the client area is the whole window.
      if (wparam) {
        return 0;
      }
      break;
    case WM_NCHITTEST: {
      const LRESULT hit = DefWindowProcW(hwnd_, message, wparam, lparam);
      return hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}
