#include "toolkit/ui_container.h"

#include "toolkit/paint_manager.h"

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
  std::unique_ptr<CControlUI> owned(control);
  if (!owned || index < 0 || index > GetCount()) {
    return false;
  }
  owned->SetInternVisible(IsVisible());
  control->SetManager(manager_, this);
  items_.insert(items_.begin() + index, std::move(owned));
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* control) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->get() == control) {
      Invalidate();
      items_.erase(it);
      NeedUpdate();
      return true;
    }
  }
  return false;
}

void CContainerUI::RemoveAll() {
  Invalidate();
  items_.clear();
  NeedUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == control) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void CContainerUI::SetInset(const RECT& inset) {
  inset_ = inset;
  NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
  child_padding_ = padding;
  NeedUpdate();
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  skin_attr::CBox box;
  int number = 0;
  if (skin_attr::SameName(name, L"inset")) {
    if (skin_attr::ParseBox(value, &box)) {
      SetInset({box.left, box.top, box.right, box.bottom});
    }
  } else if (skin_attr::SameName(name, L"childpadding")) {
    if (skin_attr::ParseInt(value, &number)) {
      SetChildPadding(number);
    }
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

RECT CContainerUI::InnerRect() const {
  return {rc_item_.left + inset_.left, rc_item_.top + inset_.top, rc_item_.right - inset_.right,
          rc_item_.bottom - inset_.bottom};
}

void CContainerUI::PlaceFloat(CControlUI* child) {
  const RECT& pos = child->GetFloatPos();
  child->SetPos({rc_item_.left + pos.left, rc_item_.top + pos.top, rc_item_.left + pos.right,
                 rc_item_.top + pos.bottom});
}

void CContainerUI::SetPos(const RECT& rect) {
  CControlUI::SetPos(rect);
  const RECT inner = InnerRect();
  for (const auto& item : items_) {
    if (!item->IsVisible()) {
      continue;
    }
    if (item->IsFloat()) {
      PlaceFloat(item.get());
      continue;
    }
    const RECT& padding = item->GetPadding();
    item->SetPos({inner.left + padding.left, inner.top + padding.top, inner.right - padding.right,
                  inner.bottom - padding.bottom});
  }
}

void CContainerUI::SetVisible(bool visible) {
  CControlUI::SetVisible(visible);
  for (const auto& item : items_) {
    item->SetInternVisible(IsVisible());
  }
}

void CContainerUI::SetInternVisible(bool visible) {
  CControlUI::SetInternVisible(visible);
  for (const auto& item : items_) {
    item->SetInternVisible(IsVisible());
  }
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
  CControlUI::SetManager(manager, parent);
  for (const auto& item : items_) {
    item->SetManager(manager, this);
  }
}

CControlUI* CContainerUI::FindControl(const std::function<bool(CControlUI*)>& match) {
  if (match(this)) {
    return this;
  }
  for (const auto& item : items_) {
    if (CControlUI* found = item->FindControl(match)) {
      return found;
    }
  }
  return nullptr;
}

CControlUI* CContainerUI::FindControlAt(POINT point) {
  if (!IsVisible() || !PtInRect(&rc_item_, point)) {
    return nullptr;
  }
  for (auto it = items_.rbegin(); it != items_.rend(); ++it) {
    if (CControlUI* found = (*it)->FindControlAt(point)) {
      return found;
    }
  }
  return IsMouseEnabled() ? this : nullptr;
}

void CContainerUI::DoPaint(HDC dc, const RECT& paint) {
  RECT visible = {};
  if (!IntersectRect(&visible, &paint, &rc_item_)) {
    return;
  }
  CControlUI::DoPaint(dc, paint);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
  for (const auto& item : items_) {
    if (item->IsVisible()) {
      item->DoPaint(dc, visible);
    }
  }
  RestoreDC(dc, saved);
}
