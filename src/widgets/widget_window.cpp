#include "widgets/widget_window.h"

#include <windowsx.h>

#include <mutex>

namespace {

constexpr const wchar_t* kWidgetClass = L"LumoraWidgetWindow";
// A point outside every item, for clearing the hot item.
constexpr int kOutside = -65535;

bool Intersects(const RECT& a, const RECT& b) {
  RECT overlap;
  return IntersectRect(&overlap, &a, &b) != FALSE;
}

}  // namespace

CWidgetWindow::~CWidgetWindow() {
  DestroyWindowNow();
  layout_.reset();
  for (CWidgetItem* item : items_) {
    delete item;
  }
  items_.clear();
  tooltip_.DestroyWindow();
}

bool CWidgetWindow::Create(HWND parent, UINT id, const RECT& rect, DWORD style) {
  CreateArgs args;
  args.class_name = kWidgetClass;
  args.style = style;
  args.rect = rect;
  args.parent = parent;
  args.id_or_menu = id;
  return CWnd::Create(args);
}

HFONT CWidgetWindow::DefaultUIFont() {
  static HFONT font = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    LOGFONTW face = metrics.lfMessageFont;
    face.lfHeight = -MulDiv(9, GetDeviceCaps(CClientDC(nullptr), LOGPIXELSY), 72);
    face.lfWidth = 0;
    font = CreateFontIndirectW(&face);
  });
  return font;
}

void CWidgetWindow::AddItem(CWidgetItem* item, int position) {
  if (!item) {
    return;
  }
  if (position == -1) {
    items_.push_back(item);
  } else if (position >= 0 && position <= static_cast<int>(items_.size())) {
    items_.insert(items_.begin() + position, item);
  } else {
    delete item;
  }
}

void CWidgetWindow::RemoveItem(int32_t id) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if ((*it)->id == id) {
      delete *it;
      items_.erase(it);
      return;
    }
  }
}

CWidgetItem* CWidgetWindow::FindItem(int32_t id) const {
  for (CWidgetItem* item : items_) {
    if (item->id == id) {
      return item;
    }
  }
  return nullptr;
}

CWidgetItem* CWidgetWindow::HitTest(int x, int y) const {
  const POINT point = {x, y};
  for (CWidgetItem* item : items_) {
    if (item->IsVisible() && item->IsEnabled() && PtInRect(&item->rect, point)) {
      return item;
    }
  }
  return nullptr;
}

void CWidgetWindow::Relayout() {
  if (layout_ && hwnd_) {
    layout_->Layout(hwnd_, items_);
  }
  tooltip_.DestroyWindow();
  UINT_PTR tool_id = 100;
  for (CWidgetItem* item : items_) {
    if (!item->IsVisible()) {
      continue;
    }
    if (!tooltip_.GetSafeHwnd()) {
      CreateToolTip();
    }
    item->RegisterTool(tooltip_, hwnd_, tool_id++);
  }
  if (hwnd_) {
    Invalidate();
  }
}

void CWidgetWindow::CreateToolTip() {
  if (tooltip_.Create(TTS_ALWAYSTIP)) {
    tooltip_.Activate(true);
  }
}

void CWidgetWindow::DrawBackground(HDC, const RECT&) {}

int32_t CWidgetWindow::OnItemPress(CWidgetItem*) { return 0; }

void CWidgetWindow::OnButtonUp(CWidgetItem* pressed, int x, int y, bool released_normally) {
  if (released_normally && pressed && HitTest(x, y) == pressed) {
    OnItemClick(pressed);
  }
}

void CWidgetWindow::OnItemClick(CWidgetItem*) {}

void CWidgetWindow::OnLButtonDblClk(int x, int y) { OnLButtonDown(x, y); }

void CWidgetWindow::OnLButtonDown(int x, int y) {
  Invalidate();
  HotTrack(x, y);
  CWidgetItem* item = HitTest(x, y);
  if (OnItemPress(item) != 0) {
    return;
  }
  SetCapture(hwnd_);
  if (item) {
    item->SetFlag(CWidgetItem::kPressed, true);
  }
  bool released_normally = false;
  int last_x = x;
  int last_y = y;
  MSG msg;
  BOOL got = FALSE;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    if (GetCapture() != hwnd_) {
      // The message fetched as the capture went belongs to someone.
      DispatchMessageW(&msg);
      break;
    }
    if (msg.message == WM_MOUSEMOVE && msg.hwnd == hwnd_) {
      last_x = GET_X_LPARAM(msg.lParam);
      last_y = GET_Y_LPARAM(msg.lParam);
      if (item) {
        const bool over = HitTest(last_x, last_y) == item;
        if (over != item->IsHot()) {
          item->SetFlag(CWidgetItem::kHot, over);
          InvalidateRect(item->rect);
        }
      }
      continue;
    }
    if (msg.message == WM_LBUTTONUP) {
      last_x = GET_X_LPARAM(msg.lParam);
      last_y = GET_Y_LPARAM(msg.lParam);
      if (msg.hwnd != hwnd_) {
        POINT point = {last_x, last_y};
        MapWindowPoints(msg.hwnd, hwnd_, &point, 1);
        last_x = point.x;
        last_y = point.y;
      }
      ReleaseCapture();
      released_normally = true;
      break;
    }
    DispatchMessageW(&msg);
  }
  if (got == 0) {
    // WM_QUIT ends the loop that runs this one as well.
    PostQuitMessage(static_cast<int>(msg.wParam));
  }
  // The window may have gone while the loop dispatched messages.
  if (!hwnd_) {
    return;
  }
  if (GetCapture() == hwnd_) {
    ReleaseCapture();
  }
  OnButtonUp(item, last_x, last_y, released_normally);
  if (item && FindItemPointer(item)) {
    item->SetFlag(CWidgetItem::kPressed, false);
  }
  Invalidate();
}

bool CWidgetWindow::FindItemPointer(const CWidgetItem* item) const {
  for (CWidgetItem* candidate : items_) {
    if (candidate == item) {
      return true;
    }
  }
  return false;
}

void CWidgetWindow::HotTrack(int x, int y) {
  CWidgetItem* hit = HitTest(x, y);
  CWidgetItem* old = nullptr;
  for (CWidgetItem* item : items_) {
    if (item->IsHot()) {
      old = item;
    }
  }
  if (hit == old) {
    return;
  }
  if (old) {
    old->SetFlag(CWidgetItem::kHot, false);
    old->OnHoverLeave();
    InvalidateRect(old->rect);
  }
  if (hit) {
    hit->SetFlag(CWidgetItem::kHot, true);
    hit->OnHoverEnter();
    InvalidateRect(hit->rect);
  }
}

void CWidgetWindow::OnMouseLeave() { HotTrack(kOutside, kOutside); }

BOOL CWidgetWindow::PreTranslateMessage(MSG* msg) {
  tooltip_.RelayEvent(msg);
  return CWnd::PreTranslateMessage(msg);
}

void CWidgetWindow::BufferedPaint() {
  CPaintDC paint(hwnd_);
  const RECT update = paint.PaintRect();
  if (IsRectEmpty(&update)) {
    return;
  }
  const int width = update.right - update.left;
  const int height = update.bottom - update.top;
  CBitmap buffer(CreateCompatibleBitmap(paint, width, height));
  CMemoryDC memory(paint);
  if (!buffer.get() || !memory) {
    return;
  }
  CSelectObject select_bitmap(memory, buffer);
  CSelectObject select_font(memory, font_.IsEmpty() ? DefaultUIFont() : font_.get());
  SetViewportOrgEx(memory, -update.left, -update.top, nullptr);
  DrawBackground(memory, update);
  for (CWidgetItem* item : items_) {
    if (!item->IsVisible() || !Intersects(item->rect, update)) {
      continue;
    }
    SetViewportOrgEx(memory, item->rect.left - update.left, item->rect.top - update.top, nullptr);
    item->Draw(memory);
    SetViewportOrgEx(memory, -update.left, -update.top, nullptr);
  }
  SetViewportOrgEx(memory, 0, 0, nullptr);
  BitBlt(paint, update.left, update.top, width, height, memory, 0, 0, SRCCOPY);
}

bool CWidgetWindow::OnSize(UINT, int, int) {
  Relayout();
  return false;
}

bool CWidgetWindow::OnPaint() {
  BufferedPaint();
  return true;
}

LRESULT CWidgetWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MOUSEMOVE && !tracking) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd_, 0};
    tracking = TrackMouseEvent(&track);
    OnMouseEnter();
    Invalidate();
  } else if (message == WM_MOUSELEAVE && tracking) {
    tracking = 0;
    OnMouseLeave();
    Invalidate();
  }
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_CAPTURECHANGED:
      // Wakes the capture loop, which then sees that the capture is gone.
      PostMessageW(hwnd_, WM_NULL, 0, 0);
      break;
    case WM_MOUSEMOVE:
      HotTrack(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      break;
    case WM_LBUTTONDOWN:
      OnLButtonDown(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}
