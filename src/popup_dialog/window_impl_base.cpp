#include "popup_dialog/window_impl_base.h"

#include "toolkit/dialog_builder.h"
#include "toolkit/skin_resources.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_list.h"

namespace {

POINT ClientPoint(HWND hwnd, LPARAM lparam) {
  POINT point = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  ScreenToClient(hwnd, &point);
  return point;
}

}  // namespace

WindowImplBase::~WindowImplBase() {
  // The window goes while the tree and the handlers are still whole.
  DestroyWindowNow();
}

bool WindowImplBase::TakesClicks(CControlUI* control) {
  if (!control) {
    return false;
  }
  if (auto* label = dynamic_cast<CLabelUI*>(control)) {
    if (label->IsClickable()) {
      return true;
    }
  }
  return dynamic_cast<CButtonUI*>(control) || dynamic_cast<CEditUI*>(control) ||
         dynamic_cast<CComboUI*>(control) || dynamic_cast<CListUI*>(control) ||
         dynamic_cast<CListElementUI*>(control);
}

std::wstring WindowImplBase::GetZIPFileName() const { return skin_resources::GetResourceZipName(); }

LONG WindowImplBase::GetStyle() {
  return static_cast<LONG>(GetWindowLongPtrW(hwnd_, GWL_STYLE) &
                           ~static_cast<LONG_PTR>(WS_CAPTION));
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  const LONG style = GetStyle() | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  paint_manager_.Init(hwnd_);

  std::shared_ptr<CSkinArchive> archive;
  if (GetResourceType() == UILIB_ZIPRESOURCE) {
    archive = skin_resources::ResourceArchive(GetResourceID());
    if (!archive) {
      // A missing resource leaves the window without content.
      return 0;
    }
  } else {
    archive = skin_resources::GlobalArchive();
  }
  paint_manager_.SetArchive(archive);
  std::wstring error;
  CDialogBuilder builder;
  CControlUI* root = builder.Create(GetSkinFolder() + GetSkinFile(), this, &paint_manager_, &error);
  if (!root) {
    skin_resources::ReportSkinLoadFailure(error);
    return 0;
  }
  paint_manager_.AttachDialog(root);
  paint_manager_.AddNotifier(this);
  paint_manager_.AddMessageFilter(this);
  const SIZE size = paint_manager_.GetInitSize();
  if (size.cx > 0 && size.cy > 0) {
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  paint_manager_.CreateShadow();
  InitWindow();
  if (hwnd_ && paint_manager_.IsLayered()) {
    paint_manager_.RenderLayered();
  }
  return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wparam, LPARAM, BOOL& handled) {
  if (IsIconic(hwnd_)) {
    handled = FALSE;
    return 0;
  }
  // Nothing of the frame is drawn; only the activation is acknowledged.
  return wparam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&) {
  // The client area is the whole window.
  return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lparam, BOOL&) {
  const POINT point = ClientPoint(hwnd_, lparam);
  RECT client = {};
  ::GetClientRect(hwnd_, &client);
  if (!IsZoomed(hwnd_)) {
    const RECT& box = paint_manager_.GetSizeBox();
    if (point.y < client.top + box.top) {
      if (point.x < client.left + box.left) {
        return HTTOPLEFT;
      }
      if (point.x > client.right - box.right) {
        return HTTOPRIGHT;
      }
      return HTTOP;
    }
    if (point.y > client.bottom - box.bottom) {
      if (point.x < client.left + box.left) {
        return HTBOTTOMLEFT;
      }
      if (point.x > client.right - box.right) {
        return HTBOTTOMRIGHT;
      }
      return HTBOTTOM;
    }
    if (point.x < client.left + box.left) {
      return HTLEFT;
    }
    if (point.x > client.right - box.right) {
      return HTRIGHT;
    }
  }
  const RECT& caption = paint_manager_.GetCaptionRect();
  if (point.x >= client.left + caption.left && point.x < client.right - caption.right &&
      point.y >= caption.top && point.y < caption.bottom) {
    if (!TakesClicks(paint_manager_.FindControl(point))) {
      return HTCAPTION;
    }
  }
  return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lparam, BOOL& handled) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT work = monitor.rcWork;
  OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
  // Maximised, the window fills the work area, not the whole screen.
  info->ptMaxPosition = {work.left, work.top};
  info->ptMaxSize = {work.right - work.left, work.bottom - work.top};
  const SIZE max_info = paint_manager_.GetMaxInfo();
  const SIZE min_info = paint_manager_.GetMinInfo();
  info->ptMaxTrackSize = {max_info.cx > 0 ? max_info.cx : work.right - work.left,
                          max_info.cy > 0 ? max_info.cy : work.bottom - work.top};
  if (min_info.cx > 0 && min_info.cy > 0) {
    info->ptMinTrackSize = {min_info.cx, min_info.cy};
  }
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& handled) {
  const SIZE round = paint_manager_.GetRoundCorner();
  if (!IsIconic(hwnd_) && (round.cx != 0 || round.cy != 0)) {
    RECT window = {};
    ::GetWindowRect(hwnd_, &window);
    OffsetRect(&window, -window.left, -window.top);
    HRGN region = CreateRoundRectRgn(window.left, window.top, window.right + 1, window.bottom + 1,
                                     round.cx, round.cy);
    // The window owns the region from here on.
    SetWindowRgn(hwnd_, region, TRUE);
  }
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) {
  if ((wparam & 0xFFF0) == SC_CLOSE) {
    handled = TRUE;
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    return 0;
  }
  const bool was_zoomed = IsZoomed(hwnd_) != FALSE;
  const LRESULT result = CWindowWnd::HandleMessage(message, wparam, lparam);
  const bool zoomed = hwnd_ && IsZoomed(hwnd_) != FALSE;
  if (was_zoomed != zoomed) {
    if (CControlUI* maximize = paint_manager_.FindControl(L"maxbtn")) {
      maximize->SetVisible(!zoomed);
    }
    if (CControlUI* restore = paint_manager_.FindControl(L"restorebtn")) {
      restore->SetVisible(zoomed);
    }
  }
  return result;
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  BOOL handled = TRUE;
  switch (message) {
    case WM_CREATE:
      result = OnCreate(message, wparam, lparam, handled);
      break;
    case WM_CLOSE:
      result = OnClose(message, wparam, lparam, handled);
      break;
    case WM_DESTROY:
      result = OnDestroy(message, wparam, lparam, handled);
      break;
    case WM_NCACTIVATE:
      result = OnNcActivate(message, wparam, lparam, handled);
      break;
    case WM_NCCALCSIZE:
      result = OnNcCalcSize(message, wparam, lparam, handled);
      break;
    case WM_NCPAINT:
      result = OnNcPaint(message, wparam, lparam, handled);
      break;
    case WM_NCHITTEST:
      result = OnNcHitTest(message, wparam, lparam, handled);
      break;
    case WM_GETMINMAXINFO:
      result = OnGetMinMaxInfo(message, wparam, lparam, handled);
      break;
    case WM_MOUSEWHEEL:
      result = OnMouseWheel(message, wparam, lparam, handled);
      break;
    case WM_MOUSEHOVER:
      result = OnMouseHover(message, wparam, lparam, handled);
      break;
    case WM_SIZE:
      result = OnSize(message, wparam, lparam, handled);
      break;
    case WM_CHAR:
      result = OnChar(message, wparam, lparam, handled);
      break;
    case WM_SYSCOMMAND:
      result = OnSysCommand(message, wparam, lparam, handled);
      break;
    case WM_KEYDOWN:
      result = OnKeyDown(message, wparam, lparam, handled);
      break;
    case WM_KILLFOCUS:
      result = OnKillFocus(message, wparam, lparam, handled);
      break;
    case WM_SETFOCUS:
      result = OnSetFocus(message, wparam, lparam, handled);
      break;
    case WM_LBUTTONUP:
      result = OnLButtonUp(message, wparam, lparam, handled);
      break;
    case WM_LBUTTONDOWN:
      result = OnLButtonDown(message, wparam, lparam, handled);
      break;
    case WM_MOUSEMOVE:
      result = OnMouseMove(message, wparam, lparam, handled);
      break;
    default:
      handled = FALSE;
      break;
  }
  if (handled) {
    return result;
  }
  handled = FALSE;
  result = HandleCustomMessage(message, wparam, lparam, handled);
  if (handled) {
    return result;
  }
  if (paint_manager_.MessageHandler(message, wparam, lparam, result)) {
    return result;
  }
  return CWindowWnd::HandleMessage(message, wparam, lparam);
}

void WindowImplBase::OnFinalMessage(HWND) {
  paint_manager_.RemoveMessageFilter(this);
  paint_manager_.RemoveNotifier(this);
}

void WindowImplBase::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) {
    return;
  }
  const std::wstring& name = msg.pSender->GetName();
  if (name == L"closebtn") {
    Close(1);
  } else if (name == L"minbtn") {
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    SendMessageW(hwnd_, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
}

void WindowImplBase::Notify(TNotifyUI& msg) {
  if (msg.sType == ui_notify::kClick) {
    OnClick(msg);
  }
}

LRESULT WindowImplBase::ResponseDefaultKeyEvent(WPARAM wparam) {
  if (wparam == VK_ESCAPE) {
    Close(1);
    return TRUE;
  }
  return FALSE;
}

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wparam, LPARAM, bool& handled) {
  if (message == WM_KEYDOWN && (wparam == VK_ESCAPE || wparam == VK_RETURN)) {
    handled = ResponseDefaultKeyEvent(wparam) != FALSE;
  }
  return 0;
}

BOOL WindowImplBase::PreTranslateMessage(MSG* msg) {
  return paint_manager_.PreMessageHandler(msg) ? TRUE : FALSE;
}
