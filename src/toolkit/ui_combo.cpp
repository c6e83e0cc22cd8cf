#include "toolkit/ui_combo.h"

#include <algorithm>

#include "toolkit/paint_manager.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_render.h"
#include "toolkit/window_wnd.h"

// The list of a combo while it is open: a popup owned by the combo's window,
// closed when an item is chosen or when it loses the activation.
class CComboDropWnd : public CWindowWnd, public INotifyUI {
 public:
  explicit CComboDropWnd(CComboUI* combo) : combo_(combo) {}
  ~CComboDropWnd() override { DestroyWindowNow(); }

  bool Open();
  const wchar_t* GetWindowClassName() const override { return L"ComboDropWnd"; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Notify(TNotifyUI& msg) override;
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  CComboUI* combo_;
  CPaintManagerUI manager_;
  bool closing_ = false;
};

bool CComboDropWnd::Open() {
  CPaintManagerUI* owner = combo_->GetManager();
  if (!owner || !owner->GetPaintWindow()) {
    return false;
  }
  const CListItemStyle& style = combo_->GetItemStyle();
  const int item_height = style.item_height > 0 ? style.item_height : 24;
  RECT anchor = combo_->GetPos();
  MapWindowPoints(owner->GetPaintWindow(), nullptr, reinterpret_cast<POINT*>(&anchor), 2);
  const SIZE drop = combo_->GetDropBoxSize();
  const int width = drop.cx > 0 ? drop.cx : anchor.right - anchor.left;
  const int height =
      std::min<int>(drop.cy > 0 ? drop.cy : 150, item_height * combo_->GetCount() + 2);
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(MonitorFromRect(&anchor, MONITOR_DEFAULTTONEAREST), &info);
  RECT rect = {anchor.left, anchor.bottom, anchor.left + width, anchor.bottom + height};
  if (rect.bottom > info.rcWork.bottom) {
    rect = {anchor.left, anchor.top - height, anchor.left + width, anchor.top};
  }
  if (!Create(owner->GetPaintWindow(), L"", WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW, rect)) {
    return false;
  }
  manager_.Init(hwnd_);
  manager_.SetArchive(owner->GetArchive());
  manager_.CopyFontsFrom(*owner);
  auto* list = new CListUI();
  list->ItemStyle() = style;
  list->SetBkColor(combo_->GetDropBoxColor());
  list->SetBorderColor(0xFF888888);
  list->SetBorderSize(1);
  list->SetInset({1, 1, 1, 1});
  for (int i = 0; i < combo_->GetCount(); ++i) {
    CControlUI* source = combo_->GetItemAt(i);
    auto* item = new CListElementUI();
    item->SetText(source->GetText());
    item->SetFixedHeight(item_height);
    item->SetEnabled(source->IsEnabled());
    list->Add(item);
  }
  list->SelectItem(combo_->GetCurSel(), false, false);
  manager_.AttachDialog(list);
  manager_.AddNotifier(this);
  ::ShowWindow(hwnd_, SW_SHOW);
  manager_.SetFocus(list);
  return true;
}

BOOL CComboDropWnd::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->hwnd == hwnd_ && msg->wParam == VK_ESCAPE) {
    closing_ = true;
    Close(IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

void CComboDropWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == L"itemclick" && !closing_) {
    closing_ = true;
    combo_->SelectItem(static_cast<int>(msg.wParam), false, true);
    Close(IDOK);
  }
}

LRESULT CComboDropWnd::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ACTIVATE && LOWORD(wparam) == WA_INACTIVE && !closing_) {
    closing_ = true;
    Close(IDCANCEL);
  }
  if (message == WM_KEYDOWN && wparam == VK_RETURN && !closing_) {
    auto* list = static_cast<CListUI*>(manager_.GetRoot());
    closing_ = true;
    if (list && list->GetCurSel() >= 0) {
      combo_->SelectItem(list->GetCurSel(), false, true);
    }
    Close(IDOK);
    return 0;
  }
  LRESULT result = 0;
  if (manager_.MessageHandler(message, wparam, lparam, result)) {
    return result;
  }
  return CWindowWnd::HandleMessage(message, wparam, lparam);
}

CComboUI::CComboUI() { keyboard_enabled_ = true; }

CComboUI::~CComboUI() { drop_.reset(); }

bool CComboUI::AddAt(CControlUI* control, int index) {
  if (auto* element = dynamic_cast<CListElementUI*>(control)) {
    element->SetOwner(this);
  }
  if (!CContainerUI::AddAt(control, index)) {
    return false;
  }
  if (cur_sel_ >= index) {
    ++cur_sel_;
  }
  return true;
}

std::wstring CComboUI::GetText() const {
  const CControlUI* item = GetItemAt(cur_sel_);
  return item ? item->GetText() : text_;
}

bool CComboUI::IsDropped() const { return drop_ && drop_->GetHWND(); }

void CComboUI::CloseDrop() { drop_.reset(); }

bool CComboUI::SelectItem(int index, bool take_focus, bool send_notify) {
  return MoveListSelection(*this, cur_sel_, index, take_focus, send_notify);
}

void CComboUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using skin_attr::SameName;
  uint32_t color = 0;
  int number = 0;
  skin_attr::CBox box;
  if (style_.SetAttribute(name, value)) {
    return;
  }
  if (SameName(name, L"dropboxsize")) {
    int cx = 0;
    int cy = 0;
    if (skin_attr::ParseSize(value, &cx, &cy)) {
      drop_size_ = {cx, cy};
    }
  } else if (SameName(name, L"dropboxbkcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      drop_color_ = color;
    }
  } else if (SameName(name, L"textcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      text_color_ = color;
    }
  } else if (SameName(name, L"disabledtextcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      disabled_text_color_ = color;
    }
  } else if (SameName(name, L"font")) {
    if (skin_attr::ParseInt(value, &number)) {
      font_ = number;
    }
  } else if (SameName(name, L"align")) {
    text_style_ = ApplyAlignWord(text_style_, value);
  } else if (SameName(name, L"textpadding")) {
    if (skin_attr::ParseBox(value, &box)) {
      text_padding_ = {box.left, box.top, box.right, box.bottom};
    }
  } else if (SameName(name, L"normalimage")) {
    normal_image_.Set(value);
  } else if (SameName(name, L"hotimage")) {
    hot_image_.Set(value);
  } else if (SameName(name, L"pushedimage")) {
    pushed_image_.Set(value);
  } else if (SameName(name, L"disabledimage")) {
    disabled_image_.Set(value);
  } else {
    CContainerUI::SetAttribute(name, value);
    return;
  }
  Invalidate();
}

void CComboUI::SetPos(const RECT& rect) { CControlUI::SetPos(rect); }

void CComboUI::DoPaint(HDC dc, const RECT& paint) { CControlUI::DoPaint(dc, paint); }

CControlUI* CComboUI::FindControlAt(POINT point) {
  if (!IsVisible() || !IsMouseEnabled() || !PtInRect(&rc_item_, point)) {
    return nullptr;
  }
  return this;
}

bool CComboUI::Activate() {
  if (!CControlUI::Activate() || IsDropped()) {
    return false;
  }
  drop_ = std::make_unique<CComboDropWnd>(this);
  if (!drop_->Open()) {
    drop_.reset();
    return false;
  }
  Invalidate();
  return true;
}

void CComboUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) {
    CContainerUI::DoEvent(event);
    return;
  }
  switch (event.type) {
    case UiEvent::kMouseEnter:
      hot_ = true;
      Invalidate();
      return;
    case UiEvent::kMouseLeave:
      hot_ = false;
      Invalidate();
      return;
    case UiEvent::kButtonDown:
      Activate();
      return;
    case UiEvent::kKeyDown:
      if (event.chKey == VK_UP || event.chKey == VK_DOWN) {
        const int step = event.chKey == VK_UP ? -1 : 1;
        for (int i = cur_sel_ + step; i >= 0 && i < GetCount(); i += step) {
          if (GetItemAt(i)->IsEnabled()) {
            SelectItem(i, false, true);
            break;
          }
        }
      } else if (event.chKey == VK_SPACE || event.chKey == VK_F4) {
        Activate();
      }
      return;
    case UiEvent::kSetCursor:
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return;
    default:
      CContainerUI::DoEvent(event);
  }
}

void CComboUI::PaintStatusImage(HDC dc) {
  bool drawn = false;
  if (!IsEnabled()) {
    drawn = DrawImage(dc, disabled_image_);
  } else if (IsDropped()) {
    drawn = DrawImage(dc, pushed_image_);
  } else if (hot_) {
    drawn = DrawImage(dc, hot_image_);
  }
  if (!drawn) {
    DrawImage(dc, normal_image_);
  }
}

void CComboUI::PaintText(HDC dc) {
  const std::wstring text = GetText();
  if (text.empty() || !manager_) {
    return;
  }
  const RECT box = {rc_item_.left + text_padding_.left, rc_item_.top + text_padding_.top,
                    rc_item_.right - text_padding_.right, rc_item_.bottom - text_padding_.bottom};
  ui_render::DrawText(dc, box, text, manager_->GetFont(font_),
                      IsEnabled() ? text_color_ : disabled_text_color_, text_style_,
                      manager_->IsLayered());
}
