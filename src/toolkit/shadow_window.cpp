#include "toolkit/shadow_window.h"

#include <cstring>

#include "framework/gdi_objects.h"
#include "toolkit/skin_image.h"
#include "toolkit/ui_render.h"

CShadowWindow::CShadowWindow(const CSkinImage& image, const skin_attr::CImageSpec& look,
                             const RECT& size)
    : image_(image), spec_(look), size_(size) {}

bool CShadowWindow::Attach(HWND host) {
  host_ = host;
  const DWORD ex_style = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  if (!Create(GetWindow(host, GW_OWNER), L"", WS_POPUP, ex_style, RECT{0, 0, 0, 0})) {
    return false;
  }
  Follow();
  return true;
}

void CShadowWindow::Render(int width, int height) {
  uint32_t* bits = nullptr;
  CBitmap dib(CreateDib32(width, height, &bits));
  if (dib.IsEmpty()) {
    return;
  }
  CClientDC screen(nullptr);
  {
    CMemoryDC memory(screen);
    CSelectObject select(memory, dib);
    const RECT all = {0, 0, width, height};
    ui_render::DrawImage(memory, image_, all, all, spec_);
    GdiFlush();
    RECT window = {};
    ::GetWindowRect(hwnd_, &window);
    POINT position = {window.left, window.top};
    POINT origin = {0, 0};
    SIZE size = {width, height};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd_, screen, &position, &size, memory, &origin, 0, &blend, ULW_ALPHA);
  }
  rendered_ = {width, height};
}

void CShadowWindow::Follow(int show_state) {
  if (!hwnd_ || !host_) {
    return;
  }
  const bool host_visible = show_state < 0 ? IsWindowVisible(host_) != FALSE : show_state == 1;
  if (!host_visible || IsIconic(host_) || IsZoomed(host_)) {
    ::ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  RECT host = {};
  ::GetWindowRect(host_, &host);
  const RECT shadow = {host.left - size_.left, host.top - size_.top, host.right + size_.right,
                       host.bottom + size_.bottom};
  const int width = shadow.right - shadow.left;
  const int height = shadow.bottom - shadow.top;
  SetWindowPos(hwnd_, host_, shadow.left, shadow.top, width, height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (rendered_.cx != width || rendered_.cy != height) {
    Render(width, height);
  }
}

LRESULT CShadowWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      return CWindowWnd::HandleMessage(message, wparam, lparam);
  }
}
