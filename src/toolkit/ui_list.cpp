#include "toolkit/ui_list.h"

#include "toolkit/paint_manager.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_render.h"

bool CListItemStyle::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using skin_attr::SameName;
  uint32_t color = 0;
  int number = 0;
  skin_attr::CBox box;
  auto color_of = [&](uint32_t* target) {
    if (skin_attr::ParseColor(value, &color)) {
      *target = color;
    }
    return true;
  };
  if (SameName(name, L"itemfont")) {
    if (skin_attr::ParseInt(value, &number)) {
      font = number;
    }
    return true;
  }
  if (SameName(name, L"itemalign")) {
    text_style = ApplyAlignWord(text_style, value);
    return true;
  }
  if (SameName(name, L"itemtextpadding")) {
    if (skin_attr::ParseBox(value, &box)) {
      text_padding = {box.left, box.top, box.right, box.bottom};
    }
    return true;
  }
  if (SameName(name, L"itemheight")) {
    if (skin_attr::ParseInt(value, &number)) {
      item_height = number;
    }
    return true;
  }
  if (SameName(name, L"itemtextcolor")) {
    return color_of(&text_color);
  }
  if (SameName(name, L"itemhottextcolor")) {
    return color_of(&hot_text_color);
  }
  if (SameName(name, L"itemselectedtextcolor")) {
    return color_of(&selected_text_color);
  }
  if (SameName(name, L"itemdisabledtextcolor")) {
    return color_of(&disabled_text_color);
  }
  if (SameName(name, L"itembkcolor")) {
    return color_of(&bk_color);
  }
  if (SameName(name, L"itemhotbkcolor")) {
    return color_of(&hot_bk_color);
  }
  if (SameName(name, L"itemselectedbkcolor")) {
    return color_of(&selected_bk_color);
  }
  if (SameName(name, L"itemhotimage")) {
    hot_image.Set(value);
    return true;
  }
  if (SameName(name, L"itemselectedimage")) {
    selected_image.Set(value);
    return true;
  }
  return false;
}

void CListElementUI::Select(bool selected) {
  if (selected_ != selected) {
    selected_ = selected;
    Invalidate();
  }
}

void CListElementUI::SetEnabled(bool enabled) {
  if (!enabled) {
    hot_ = captured_ = false;
  }
  CHorizontalLayoutUI::SetEnabled(enabled);
}

SIZE CListElementUI::EstimateSize(SIZE available) {
  SIZE size = CHorizontalLayoutUI::EstimateSize(available);
  if (size.cy == 0 && owner_) {
    size.cy = owner_->GetItemStyle().item_height;
  }
  return size;
}

CControlUI* CListElementUI::FindControlAt(POINT point) {
  if (!IsVisible() || !IsMouseEnabled() || !PtInRect(&rc_item_, point)) {
    return nullptr;
  }
  return this;
}

void CListElementUI::DoEvent(TEventUI& event) {
  switch (event.type) {
    case UiEvent::kMouseEnter:
      if (IsEnabled()) {
        hot_ = true;
        Invalidate();
      }
      if (manager_) {
        manager_->SendNotify(this, ui_notify::kMouseEnter);
      }
      return;
    case UiEvent::kMouseLeave:
      if (hot_) {
        hot_ = false;
        Invalidate();
      }
      if (manager_) {
        manager_->SendNotify(this, ui_notify::kMouseLeave);
      }
      return;
    case UiEvent::kButtonDown:
    case UiEvent::kDoubleClick:
      captured_ = IsEnabled();
      return;
    case UiEvent::kButtonUp:
      if (captured_ && IsEnabled() && owner_ && PtInRect(&rc_item_, event.ptMouse)) {
        captured_ = false;
        const int index = GetIndex();
        IListOwnerUI* owner = owner_;
        // Either call may close the window; nothing of this item is used
        // after them.
        owner->SelectItem(index, false, true);
        owner->OnItemClick(index);
        return;
      }
      captured_ = false;
      return;
    case UiEvent::kKeyDown:
      if (auto* list = dynamic_cast<CControlUI*>(owner_)) {
        list->DoEvent(event);
      }
      return;
    default:
      CHorizontalLayoutUI::DoEvent(event);
  }
}

void CListElementUI::PaintBkColor(HDC dc) {
  if (owner_) {
    const CListItemStyle& style = owner_->GetItemStyle();
    uint32_t color = style.bk_color;
    if (selected_ && (style.selected_bk_color >> 24)) {
      color = style.selected_bk_color;
    } else if (hot_ && IsEnabled() && (style.hot_bk_color >> 24)) {
      color = style.hot_bk_color;
    }
    if (color >> 24) {
      ui_render::FillArgb(dc, rc_item_, color);
    }
  }
  CHorizontalLayoutUI::PaintBkColor(dc);
}

void CListElementUI::PaintStatusImage(HDC dc) {
  if (!owner_) {
    return;
  }
  const CListItemStyle& style = owner_->GetItemStyle();
  if (selected_) {
    DrawImage(dc, style.selected_image);
  } else if (hot_ && IsEnabled()) {
    DrawImage(dc, style.hot_image);
  }
}

void CListElementUI::PaintText(HDC dc) {
  if (text_.empty() || !owner_ || !manager_) {
    return;
  }
  const CListItemStyle& style = owner_->GetItemStyle();
  uint32_t color = style.text_color;
  if (!IsEnabled()) {
    color = style.disabled_text_color;
  } else if (selected_ && style.selected_text_color) {
    color = style.selected_text_color;
  } else if (hot_ && style.hot_text_color) {
    color = style.hot_text_color;
  }
  const RECT box = {rc_item_.left + style.text_padding.left, rc_item_.top + style.text_padding.top,
                    rc_item_.right - style.text_padding.right,
                    rc_item_.bottom - style.text_padding.bottom};
  ui_render::DrawText(dc, box, text_, manager_->GetFont(style.font), color, style.text_style,
                      manager_->IsLayered());
}

CListUI::CListUI() { keyboard_enabled_ = true; }

bool CListUI::AddAt(CControlUI* control, int index) {
  if (auto* element = dynamic_cast<CListElementUI*>(control)) {
    element->SetOwner(this);
  }
  if (!CVerticalLayoutUI::AddAt(control, index)) {
    return false;
  }
  if (cur_sel_ >= index) {
    ++cur_sel_;
  }
  return true;
}

bool CListUI::Remove(CControlUI* control) {
  const int index = GetItemIndex(control);
  if (!CVerticalLayoutUI::Remove(control)) {
    return false;
  }
  if (index == cur_sel_) {
    cur_sel_ = -1;
  } else if (index < cur_sel_) {
    --cur_sel_;
  }
  return true;
}

void CListUI::RemoveAll() {
  CVerticalLayoutUI::RemoveAll();
  cur_sel_ = -1;
}

bool MoveListSelection(CContainerUI& owner, int& cur_sel, int index, bool take_focus,
                       bool send_notify) {
  if (index == cur_sel) {
    return true;
  }
  auto* element = dynamic_cast<CListElementUI*>(owner.GetItemAt(index));
  if (index >= 0 && (!element || !element->IsEnabled())) {
    return false;
  }
  const int old = cur_sel;
  if (auto* previous = dynamic_cast<CListElementUI*>(owner.GetItemAt(old))) {
    previous->Select(false);
  }
  cur_sel = index;
  if (element) {
    element->Select(true);
  }
  owner.Invalidate();
  if (take_focus) {
    owner.SetFocus();
  }
  if (send_notify && owner.GetManager()) {
    owner.GetManager()->SendNotify(&owner, ui_notify::kItemSelect, static_cast<WPARAM>(index),
                                   static_cast<LPARAM>(old));
  }
  return true;
}

bool CListUI::SelectItem(int index, bool take_focus, bool send_notify) {
  return MoveListSelection(*this, cur_sel_, index, take_focus, send_notify);
}

void CListUI::OnItemClick(int index) {
  if (manager_) {
    manager_->SendNotify(this, L"itemclick", static_cast<WPARAM>(index));
  }
}

void CListUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (!style_.SetAttribute(name, value)) {
    CVerticalLayoutUI::SetAttribute(name, value);
  } else {
    NeedUpdate();
    Invalidate();
  }
}

void CListUI::DoEvent(TEventUI& event) {
  if (event.type == UiEvent::kKeyDown && IsEnabled()) {
    int target = cur_sel_;
    const int step = event.chKey == VK_UP ? -1 : event.chKey == VK_DOWN ? 1 : 0;
    if (event.chKey == VK_HOME) {
      target = 0;
    } else if (event.chKey == VK_END) {
      target = GetCount() - 1;
    } else if (step != 0) {
      // The next enabled item in that direction.
      for (int i = cur_sel_ + step; i >= 0 && i < GetCount(); i += step) {
        if (GetItemAt(i)->IsEnabled()) {
          target = i;
          break;
        }
      }
    }
    if (target != cur_sel_) {
      SelectItem(target, true, true);
    }
    return;
  }
  CVerticalLayoutUI::DoEvent(event);
}
