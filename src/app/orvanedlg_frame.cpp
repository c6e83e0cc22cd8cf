// The main window's own frame: region, window buttons, child layout, sizing
// limits, the caption strip, full screen, colours.
#include "app/orvanedlg.h"

#include <windowsx.h>

#include "config/app_config.h"
#include "resource_ids.h"
#include "widgets/window_title.h"

namespace {

constexpr COLORREF kBackground = RGB(39, 39, 39);
constexpr COLORREF kTitleText = RGB(238, 238, 238);
constexpr int kButtonSize = 30;

}  // namespace

RECT COrvaneDlg::ToolbarRect(int w, int h, bool docked_bottom) {
  return docked_bottom ? RECT{0, h - 62, w, h - 2} : RECT{0, 33, w, 93};
}

RECT COrvaneDlg::ImageViewRect(int w, int h, bool docked_bottom) {
  return docked_bottom ? RECT{0, kTitleStripHeight, w, h - 62} : RECT{0, 93, w, h};
}

void COrvaneDlg::LayoutChildren() {
  if (!hwnd_) {
    return;
  }
  if (image_view_.IsWindow()) {
    const RECT client = GetClientRect();
    const RECT area =
        ImageViewRect(client.right, client.bottom, CAppConfig::GetInstance()->toolbar_dock != 0);
    SetWindowPos(image_view_, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    image_view_.OnSize();
  }
  if (menu_bar_.IsWindow() && minimize_button_.IsWindow()) {
    RECT rect = minimize_button_.GetWindowRect();
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
    OffsetRect(&rect, -kButtonSize, 0);
    SetWindowPos(menu_bar_, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    menu_bar_.Invalidate();
  }
}

void COrvaneDlg::PlaceWindowButtons(UINT size_type, int width) {
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (close_button_.IsWindow()) {
    SetWindowPos(close_button_, nullptr, width - 30, 1, kButtonSize, kButtonSize, flags);
  }
  if (maximize_button_.IsWindow()) {
    SetWindowPos(maximize_button_, nullptr, width - 60, 1, kButtonSize, kButtonSize, flags);
    if (size_type == SIZE_MAXIMIZED) {
      maximize_button_.LoadFromResource(IDB_BUTTON_RESTORE, 3);
    } else if (size_type == SIZE_RESTORED) {
      maximize_button_.LoadFromResource(IDB_BUTTON_MAXIMIZE, 3);
    }
  }
  if (minimize_button_.IsWindow()) {
    SetWindowPos(minimize_button_, nullptr, width - 90, 1, kButtonSize, kButtonSize, flags);
  }
}

bool COrvaneDlg::OnSize(UINT type, int width, int height) {
  Default();
  if (type == SIZE_MINIMIZED) {
    return true;
  }
  // The window rectangle in client coordinates: left and top are the border.
  RECT window = GetWindowRect();
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&window), 2);
  region_rect_ = {-1, 0, width + 2, height + 2};
  OffsetRect(&region_rect_, -window.left, -window.top);
  HRGN region = CreateRoundRectRgn(region_rect_.left, region_rect_.top, region_rect_.right,
                                   region_rect_.bottom, corner_width_, corner_height_);
  // The window owns the region from here on.
  SetWindowRgn(hwnd_, region, TRUE);

  PlaceWindowButtons(type, width);
  LayoutChildren();
  Invalidate();
  return true;
}

void COrvaneDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMinTrackSize.x = window_placement::kMinWidth;
  info->ptMinTrackSize.y = window_placement::kMinHeight;
  Default();
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int height = work.bottom - work.top;
  if (info->ptMaxPosition.y < 0) {
    height += -2 * info->ptMaxPosition.y;
  }
  info->ptMaxSize.y = height;
}

LRESULT COrvaneDlg::OnNcHitTest(LPARAM lparam) {
  const LRESULT hit = Default();
  if (IsFullScreen()) {
    return hit;
  }
  POINT point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ScreenToClient(hwnd_, &point);
  const RECT client = GetClientRect();
  if (point.y >= 0 && point.y <= kDragStripBottom && point.x >= 0 && point.x < client.right) {
    return HTCAPTION;
  }
  return hit;
}

bool COrvaneDlg::OnPaint() {
  CPaintDC paint(hwnd_);
  const RECT client = GetClientRect();
  FillRect(paint, &client, background_brush_);
  return true;
}

LRESULT COrvaneDlg::OnCtlColor(HDC dc, HWND control) {
  const int id = GetDlgCtrlID(control);
  if (id == IDC_TITLE_TEXT) {
    SetTextColor(dc, kTitleText);
    SetBkColor(dc, kBackground);
    SelectObject(dc, CWindowTitle::GetInstance()->HasFileName() ? title_font_.get()
                                                                : title_font_bold_.get());
  } else if (id == IDC_ICON_AREA) {
    SetBkColor(dc, kBackground);
  } else {
    SetTextColor(dc, kBackground);
    SetBkColor(dc, kBackground);
  }
  return reinterpret_cast<LRESULT>(background_brush_.get());
}

void COrvaneDlg::ToggleFullScreen() {
  image_view_.CloseContextMenu();
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  if (saved_rect_) {
    full_screen_ = 0;
    SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_THICKFRAME);
    const RECT rect = *saved_rect_;
    saved_rect_.reset();
    SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_FRAMECHANGED);
    ShowWindow(maximize_button_, SW_SHOW);
    ShowWindow(minimize_button_, SW_SHOW);
    ShowWindow(menu_bar_, SW_SHOW);
  } else {
    full_screen_ = 1;
    ShowWindow(maximize_button_, SW_HIDE);
    ShowWindow(minimize_button_, SW_HIDE);
    ShowWindow(menu_bar_, SW_HIDE);
    saved_rect_ = std::make_unique<RECT>(GetWindowRect());
    SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_THICKFRAME)) | WS_POPUP);
    SetWindowPos(hwnd_, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                 SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  LayoutChildren();
  UpdateWindow(hwnd_);
}
