#include "toolkit/paint_manager.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "framework/ui_thread.h"
#include "toolkit/shadow_window.h"
#include "toolkit/skin_resources.h"
#include "toolkit/ui_control.h"

namespace {

POINT PointOf(LPARAM lparam) {
  return {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

bool IsOrIsChildOf(HWND window, HWND parent) {
  return window && (window == parent || IsChild(parent, window));
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
  default_font_.face = L"微软雅黑";
  default_font_.size = 12;
}

CPaintManagerUI::~CPaintManagerUI() {
  // The tree first: its controls still report to this manager as they go.
  root_.reset();
  shadow_.reset();
  if (tooltip_) {
    DestroyWindow(tooltip_);
  }
}

void CPaintManagerUI::Init(HWND hwnd) {
  ASSERT_UI_THREAD();
  hwnd_ = hwnd;
  if (layered_) {
    SetLayered(true);
  }
}

void CPaintManagerUI::SetArchive(std::shared_ptr<CSkinArchive> archive) {
  archive_ = std::move(archive);
}

CSkinImage* CPaintManagerUI::GetImage(const std::wstring& name) {
  if (!archive_ || name.empty()) {
    return nullptr;
  }
  return archive_->GetImage(name).get();
}

void CPaintManagerUI::SetLayered(bool layered) {
  layered_ = layered;
  if (!hwnd_) {
    return;
  }
  const LONG_PTR ex_style = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
  const LONG_PTR wanted = layered ? (ex_style | WS_EX_LAYERED) : (ex_style & ~WS_EX_LAYERED);
  if (wanted != ex_style) {
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, wanted);
  }
  // Fonts are made for the kind of window they draw into.
  for (auto& entry : fonts_) {
    entry->font.DeleteObject();
  }
  default_font_.font.DeleteObject();
}

void CPaintManagerUI::SetShadow(bool use, const std::wstring& image, const RECT& size) {
  use_shadow_ = use;
  shadow_image_ = image;
  shadow_size_ = size;
}

void CPaintManagerUI::CreateShadow() {
  if (!hwnd_ || !HasShadow() || shadow_) {
    return;
  }
  skin_attr::CImageSpec look;
  if (!skin_attr::ParseImageSpec(shadow_image_, &look)) {
    return;
  }
  CSkinImage* image = GetImage(look.file);
  if (!image) {
    return;
  }
  shadow_ = std::make_unique<CShadowWindow>(*image, look, shadow_size_);
  if (!shadow_->Attach(hwnd_)) {
    shadow_.reset();
  }
}

int CPaintManagerUI::AddFont(const std::wstring& face, int size, bool bold, bool underline,
                             bool italic) {
  auto entry = std::make_unique<CFontEntry>();
  entry->face = face;
  entry->size = size;
  entry->bold = bold;
  entry->underline = underline;
  entry->italic = italic;
  fonts_.push_back(std::move(entry));
  return static_cast<int>(fonts_.size()) - 1;
}

void CPaintManagerUI::SetDefaultFont(const std::wstring& face, int size, bool bold, bool underline,
                                     bool italic) {
  default_font_.face = face;
  default_font_.size = size;
  default_font_.bold = bold;
  default_font_.underline = underline;
  default_font_.italic = italic;
  default_font_.font.DeleteObject();
}

void CPaintManagerUI::CopyFontsFrom(const CPaintManagerUI& other) {
  fonts_.clear();
  for (const auto& entry : other.fonts_) {
    AddFont(entry->face, entry->size, entry->bold, entry->underline, entry->italic);
  }
  SetDefaultFont(other.default_font_.face, other.default_font_.size, other.default_font_.bold,
                 other.default_font_.underline, other.default_font_.italic);
}

HFONT CPaintManagerUI::MakeFont(CFontEntry& entry) {
  if (entry.font.IsEmpty()) {
    LOGFONTW face = {};
    face.lfHeight = -std::clamp(entry.size, 1, 200);
    face.lfWeight = entry.bold ? FW_BOLD : FW_NORMAL;
    face.lfItalic = entry.italic ? TRUE : FALSE;
    face.lfUnderline = entry.underline ? TRUE : FALSE;
    face.lfCharSet = DEFAULT_CHARSET;
    // ClearType's coloured edges have no meaning as alpha coverage.
    face.lfQuality = layered_ ? ANTIALIASED_QUALITY : CLEARTYPE_QUALITY;
    wcsncpy_s(face.lfFaceName, entry.face.c_str(), _TRUNCATE);
    entry.font.CreateFontIndirect(face);
  }
  return entry.font.IsEmpty() ? static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))
                              : entry.font.get();
}

HFONT CPaintManagerUI::GetFont(int index) {
  if (index >= 0 && index < GetFontCount()) {
    return MakeFont(*fonts_[static_cast<size_t>(index)]);
  }
  return MakeFont(default_font_);
}

void CPaintManagerUI::AddDefaultAttributeList(const std::wstring& class_name,
                                              const std::wstring& list) {
  std::wstring key = class_name;
  std::transform(key.begin(), key.end(), key.begin(), towlower);
  default_attributes_[key] = list;
}

const std::wstring* CPaintManagerUI::GetDefaultAttributeList(const std::wstring& class_name) const {
  std::wstring key = class_name;
  std::transform(key.begin(), key.end(), key.begin(), towlower);
  auto found = default_attributes_.find(key);
  return found == default_attributes_.end() ? nullptr : &found->second;
}

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
  hot_ = pushed_ = focus_ = tooltip_owner_ = nullptr;
  root_.reset(root);
  if (!root_) {
    return false;
  }
  root_->SetManager(this, nullptr);
  NeedUpdate();
  return true;
}

CControlUI* CPaintManagerUI::FindControl(const std::wstring& name) const {
  return root_ ? FindSubControlByName(root_.get(), name) : nullptr;
}

CControlUI* CPaintManagerUI::FindControl(POINT point) const {
  return root_ ? root_->FindControlAt(point) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const std::wstring& name) {
  if (!parent || name.empty()) {
    return nullptr;
  }
  return parent->FindControl([&](CControlUI* control) { return control->GetName() == name; });
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, const wchar_t* class_name,
                                                   int index) {
  if (!parent) {
    return nullptr;
  }
  int seen = 0;
  return parent->FindControl([&](CControlUI* control) {
    return control != parent && control->IsClass(class_name) && seen++ == index;
  });
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
  if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) {
    notifiers_.push_back(notifier);
  }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
  notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), notifier), notifiers_.end());
}

void CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
  if (std::find(filters_.begin(), filters_.end(), filter) == filters_.end()) {
    filters_.push_back(filter);
  }
}

void CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}

void CPaintManagerUI::SendNotify(CControlUI* control, const wchar_t* type, WPARAM wparam,
                                 LPARAM lparam, bool async) {
  TNotifyUI notify;
  notify.sType = type;
  notify.pSender = control;
  notify.wParam = wparam;
  notify.lParam = lparam;
  notify.ptMouse = last_mouse_;
  if (async && hwnd_) {
    async_notifies_.push_back(notify);
    PostMessageW(hwnd_, kMsgAsyncNotify, 0, 0);
    return;
  }
  DispatchNotify(notify);
}

void CPaintManagerUI::DispatchNotify(TNotifyUI& notify) {
  // A notifier may remove itself (or others) while it handles this one.
  const std::vector<INotifyUI*> notifiers = notifiers_;
  for (INotifyUI* notifier : notifiers) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) != notifiers_.end()) {
      notifier->Notify(notify);
    }
  }
}

void CPaintManagerUI::Invalidate(const RECT& rect) {
  if (!hwnd_) {
    return;
  }
  if (layered_) {
    if (!layered_paint_posted_) {
      layered_paint_posted_ = true;
      PostMessageW(hwnd_, kMsgLayeredPaint, 0, 0);
    }
    return;
  }
  InvalidateRect(hwnd_, &rect, FALSE);
}

void CPaintManagerUI::Invalidate() {
  if (!hwnd_) {
    return;
  }
  RECT client = {};
  GetClientRect(hwnd_, &client);
  Invalidate(client);
}

void CPaintManagerUI::NeedUpdate() {
  need_update_ = true;
  Invalidate();
}

void CPaintManagerUI::UpdateLayout() {
  if (!need_update_ || !root_ || !hwnd_) {
    return;
  }
  need_update_ = false;
  RECT client = {};
  GetClientRect(hwnd_, &client);
  root_->SetPos(client);
}

void CPaintManagerUI::PaintTree(HDC dc, const RECT& paint) {
  if (root_ && root_->IsVisible()) {
    root_->DoPaint(dc, paint);
  }
}

void CPaintManagerUI::OnPaint() {
  PAINTSTRUCT ps = {};
  HDC screen = BeginPaint(hwnd_, &ps);
  UpdateLayout();
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const SIZE size = {client.right, client.bottom};
  if (size.cx > 0 && size.cy > 0) {
    if (buffer_.IsEmpty() || buffer_size_.cx != size.cx || buffer_size_.cy != size.cy) {
      buffer_.Attach(CreateDib32(size.cx, size.cy, &buffer_bits_));
      buffer_size_ = size;
    }
    if (!buffer_.IsEmpty()) {
      CMemoryDC memory(screen);
      CSelectObject select(memory, buffer_);
      const int saved = SaveDC(memory);
      IntersectClipRect(memory, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right,
                        ps.rcPaint.bottom);
      FillRect(memory, &ps.rcPaint, GetSysColorBrush(COLOR_WINDOW));
      PaintTree(memory, ps.rcPaint);
      RestoreDC(memory, saved);
      BitBlt(screen, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
             ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    }
  }
  EndPaint(hwnd_, &ps);
  if (!window_init_posted_ && IsWindowVisible(hwnd_)) {
    window_init_posted_ = true;
    PostMessageW(hwnd_, kMsgWindowInit, 0, 0);
  }
}

void CPaintManagerUI::RenderLayered() {
  if (!layered_ || !hwnd_) {
    return;
  }
  UpdateLayout();
  RECT client = {};
  GetClientRect(hwnd_, &client);
  const SIZE size = {client.right, client.bottom};
  if (size.cx <= 0 || size.cy <= 0) {
    return;
  }
  if (buffer_.IsEmpty() || buffer_size_.cx != size.cx || buffer_size_.cy != size.cy) {
    buffer_.Attach(CreateDib32(size.cx, size.cy, &buffer_bits_));
    buffer_size_ = size;
  }
  if (buffer_.IsEmpty()) {
    return;
  }
  CClientDC screen(nullptr);
  {
    CMemoryDC memory(screen);
    CSelectObject select(memory, buffer_);
    std::memset(buffer_bits_, 0, static_cast<size_t>(size.cx) * size.cy * 4);
    PaintTree(memory, client);
    GdiFlush();
    RECT window = {};
    GetWindowRect(hwnd_, &window);
    POINT position = {window.left, window.top};
    POINT origin = {0, 0};
    SIZE window_size = size;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd_, screen, &position, &window_size, memory, &origin, 0, &blend,
                        ULW_ALPHA);
  }
  if (!window_init_posted_ && IsWindowVisible(hwnd_)) {
    window_init_posted_ = true;
    PostMessageW(hwnd_, kMsgWindowInit, 0, 0);
  }
}

void CPaintManagerUI::Event(CControlUI* control, UiEvent type, POINT point, WPARAM wparam,
                            LPARAM lparam) {
  if (!control) {
    return;
  }
  TEventUI event;
  event.type = type;
  event.pSender = control;
  event.ptMouse = point;
  event.wParam = wparam;
  event.lParam = lparam;
  event.chKey = static_cast<wchar_t>(wparam);
  event.wKeyState = static_cast<WORD>(wparam);
  control->DoEvent(event);
}

void CPaintManagerUI::SetHot(CControlUI* control, POINT point) {
  if (control == hot_) {
    return;
  }
  CControlUI* old = hot_;
  hot_ = control;
  Event(old, UiEvent::kMouseLeave, point);
  Event(hot_, UiEvent::kMouseEnter, point);
}

void CPaintManagerUI::OnMouseMove(POINT point, WPARAM keys) {
  last_mouse_ = point;
  CControlUI* control = FindControl(point);
  if (control != hot_ || !mouse_tracking_) {
    // Hover is reported once per control: ask for it again on a new one.
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE | TME_HOVER, hwnd_, HOVER_DEFAULT};
    mouse_tracking_ = TrackMouseEvent(&track) != FALSE;
  }
  if (control != hot_) {
    if (tooltip_owner_ && tooltip_owner_ != control) {
      HideToolTip();
    }
    SetHot(control, point);
  }
  if (pushed_) {
    Event(pushed_, UiEvent::kMouseMove, point, keys);
  } else if (hot_) {
    Event(hot_, UiEvent::kMouseMove, point, keys);
  }
}

void CPaintManagerUI::OnButtonDown(UINT message, POINT point, WPARAM keys) {
  last_mouse_ = point;
  HideToolTip();
  CControlUI* control = FindControl(point);
  if (!control || !control->IsEnabled()) {
    return;
  }
  pushed_ = control;
  SetCapture(hwnd_);
  if (control->WantsFocus()) {
    SetFocus(control);
  }
  if (pushed_ == control) {
    Event(control, message == WM_LBUTTONDBLCLK ? UiEvent::kDoubleClick : UiEvent::kButtonDown,
          point, keys);
  }
}

void CPaintManagerUI::OnButtonUp(POINT point, WPARAM keys) {
  last_mouse_ = point;
  CControlUI* control = pushed_;
  pushed_ = nullptr;
  if (GetCapture() == hwnd_) {
    ReleaseCapture();
  }
  Event(control, UiEvent::kButtonUp, point, keys);
}

void CPaintManagerUI::ShowToolTip(CControlUI* control) {
  if (!control || control->GetToolTip().empty() || pushed_ || !IsWindowVisible(hwnd_)) {
    return;
  }
  if (!tooltip_) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) {
      return;
    }
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = hwnd_;
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = hwnd_;
  tool.uId = 1;
  tool.lpszText = const_cast<wchar_t*>(control->GetToolTip().c_str());
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  POINT cursor = {};
  GetCursorPos(&cursor);
  SendMessageW(tooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(cursor.x, cursor.y + 20));
  SendMessageW(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  tooltip_owner_ = control;
}

void CPaintManagerUI::HideToolTip() {
  if (tooltip_ && tooltip_owner_) {
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = hwnd_;
    tool.uId = 1;
    SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  }
  tooltip_owner_ = nullptr;
}

void CPaintManagerUI::SetFocus(CControlUI* control) {
  if (control == focus_) {
    return;
  }
  CControlUI* old = focus_;
  focus_ = control;
  Event(old, UiEvent::kKillFocus, last_mouse_);
  if (focus_ != control) {
    return;
  }
  if (control && dynamic_cast<INativeChildUI*>(control)) {
    Event(control, UiEvent::kSetFocus, last_mouse_);
    return;
  }
  // Keys go to the window itself while a drawn control has the focus.
  HWND current = ::GetFocus();
  if (hwnd_ && current != hwnd_ && IsChild(hwnd_, current)) {
    ::SetFocus(hwnd_);
  }
  Event(control, UiEvent::kSetFocus, last_mouse_);
}

void CPaintManagerUI::MoveFocus(bool forward) {
  if (!root_) {
    return;
  }
  std::vector<CControlUI*> order;
  root_->FindControl([&](CControlUI* control) {
    if (control->WantsFocus() && control->IsVisible() && control->IsEnabled()) {
      order.push_back(control);
    }
    return false;
  });
  if (order.empty()) {
    return;
  }
  auto at = std::find(order.begin(), order.end(), focus_);
  size_t index = 0;
  if (at != order.end()) {
    const size_t current = static_cast<size_t>(at - order.begin());
    index = forward ? (current + 1) % order.size() : (current + order.size() - 1) % order.size();
  } else if (!forward) {
    index = order.size() - 1;
  }
  SetFocus(order[index]);
}

void CPaintManagerUI::ReapControl(CControlUI* control) {
  if (hot_ == control) {
    hot_ = nullptr;
  }
  if (pushed_ == control) {
    pushed_ = nullptr;
  }
  if (focus_ == control) {
    focus_ = nullptr;
  }
  if (tooltip_owner_ == control) {
    HideToolTip();
  }
  for (TNotifyUI& pending : async_notifies_) {
    if (pending.pSender == control) {
      pending.pSender = nullptr;
    }
  }
}

void CPaintManagerUI::RegisterNativeChild(HWND child, INativeChildUI* control) {
  if (child) {
    native_children_[child] = control;
  }
}

void CPaintManagerUI::UnregisterNativeChild(HWND child) { native_children_.erase(child); }

bool CPaintManagerUI::RouteNativeChild(UINT message, WPARAM wparam, LPARAM lparam,
                                       LRESULT& result) {
  auto found = native_children_.find(reinterpret_cast<HWND>(lparam));
  if (found == native_children_.end()) {
    return false;
  }
  if (message == WM_COMMAND) {
    found->second->OnNativeCommand(HIWORD(wparam));
    result = 0;
    return true;
  }
  result = reinterpret_cast<LRESULT>(found->second->OnNativeColor(reinterpret_cast<HDC>(wparam)));
  return true;
}

bool CPaintManagerUI::PreMessageHandler(const MSG* msg) {
  if (!hwnd_ || !IsOrIsChildOf(msg->hwnd, hwnd_)) {
    return false;
  }
  switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      for (IMessageFilterUI* filter : std::vector<IMessageFilterUI*>(filters_)) {
        bool handled = false;
        filter->MessageHandler(msg->message, msg->wParam, msg->lParam, handled);
        if (handled) {
          return true;
        }
      }
      return false;
    default:
      return false;
  }
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (!hwnd_) {
    return false;
  }
  result = 0;
  for (IMessageFilterUI* filter : std::vector<IMessageFilterUI*>(filters_)) {
    bool handled = false;
    const LRESULT answer = filter->MessageHandler(message, wparam, lparam, handled);
    if (handled) {
      result = answer;
      return true;
    }
  }
  switch (message) {
    case WM_PAINT:
      if (layered_) {
        ValidateRect(hwnd_, nullptr);
        RenderLayered();
      } else {
        OnPaint();
      }
      return true;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_SIZE:
      need_update_ = true;
      Invalidate();
      if (shadow_) {
        shadow_->Follow();
      }
      return false;
    case WM_WINDOWPOSCHANGED:
    case WM_SHOWWINDOW:
      if (shadow_) {
        shadow_->Follow(message == WM_SHOWWINDOW ? (wparam ? 1 : 0) : -1);
      }
      if (message == WM_SHOWWINDOW && wparam && layered_) {
        RenderLayered();
      }
      return false;
    case WM_DESTROY:
      shadow_.reset();
      return false;
    case WM_MOUSEMOVE:
      OnMouseMove(PointOf(lparam), wparam);
      return true;
    case WM_MOUSELEAVE:
      mouse_tracking_ = false;
      HideToolTip();
      if (!pushed_) {
        SetHot(nullptr, last_mouse_);
      }
      return true;
    case WM_MOUSEHOVER:
      mouse_tracking_ = false;
      ShowToolTip(hot_);
      Event(hot_, UiEvent::kMouseHover, PointOf(lparam), wparam);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonDown(message, PointOf(lparam), wparam);
      return true;
    case WM_LBUTTONUP:
      OnButtonUp(PointOf(lparam), wparam);
      return true;
    case WM_CAPTURECHANGED:
      if (pushed_ && reinterpret_cast<HWND>(lparam) != hwnd_) {
        // Capture taken away: the press ends without a click.
        CControlUI* control = pushed_;
        pushed_ = nullptr;
        Event(control, UiEvent::kButtonUp, {-32000, -32000});
      }
      return false;
    case WM_MOUSEWHEEL: {
      POINT point = PointOf(lparam);
      ScreenToClient(hwnd_, &point);
      CControlUI* control = FindControl(point);
      Event(control, UiEvent::kScrollWheel, point, wparam, lparam);
      return control != nullptr;
    }
    case WM_SETCURSOR: {
      if (LOWORD(lparam) != HTCLIENT) {
        return false;
      }
      POINT point = {};
      GetCursorPos(&point);
      ScreenToClient(hwnd_, &point);
      CControlUI* control = FindControl(point);
      if (control && control->IsEnabled()) {
        Event(control, UiEvent::kSetCursor, point, wparam, lparam);
      } else {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      }
      result = TRUE;
      return true;
    }
    case WM_KEYDOWN:
      if (wparam == VK_TAB) {
        MoveFocus(GetKeyState(VK_SHIFT) >= 0);
        return true;
      }
      if (focus_) {
        Event(focus_, UiEvent::kKeyDown, last_mouse_, wparam, lparam);
        return true;
      }
      return false;
    case WM_CHAR:
      if (focus_) {
        Event(focus_, UiEvent::kChar, last_mouse_, wparam, lparam);
        return true;
      }
      return false;
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return RouteNativeChild(message, wparam, lparam, result);
    case kMsgAsyncNotify:
      while (!async_notifies_.empty()) {
        TNotifyUI notify = async_notifies_.front();
        async_notifies_.pop_front();
        if (notify.pSender) {
          DispatchNotify(notify);
        }
      }
      return true;
    case kMsgWindowInit:
      if (!window_init_sent_) {
        window_init_sent_ = true;
        SendNotify(root_.get(), ui_notify::kWindowInit);
      }
      return true;
    case kMsgLayeredPaint:
      layered_paint_posted_ = false;
      RenderLayered();
      return true;
    default:
      return false;
  }
}
