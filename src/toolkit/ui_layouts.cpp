#include "toolkit/ui_layouts.h"

#include <algorithm>

#include "toolkit/paint_manager.h"

namespace {

// Lays out children along one axis. Vertical when vertical is true; the
// "main" extent is the height then, the "cross" extent the width.
void LayOut(CContainerUI& box, const RECT& inner, int child_padding, bool vertical,
            const std::function<void(CControlUI*)>& place_float) {
  const int main_size = vertical ? inner.bottom - inner.top : inner.right - inner.left;
  const int cross_size = vertical ? inner.right - inner.left : inner.bottom - inner.top;
  const SIZE available = {inner.right - inner.left, inner.bottom - inner.top};

  int fixed_total = 0;
  int stretching = 0;
  int laid_out = 0;
  for (int i = 0; i < box.GetCount(); ++i) {
    CControlUI* child = box.GetItemAt(i);
    if (!child->IsVisible() || child->IsFloat()) {
      continue;
    }
    const SIZE wanted = child->EstimateSize(available);
    const RECT& pad = child->GetPadding();
    const int fixed = vertical ? wanted.cy : wanted.cx;
    fixed_total += vertical ? pad.top + pad.bottom : pad.left + pad.right;
    if (fixed > 0) {
      fixed_total += fixed;
    } else {
      ++stretching;
    }
    ++laid_out;
  }
  if (laid_out > 1) {
    fixed_total += child_padding * (laid_out - 1);
  }
  int remaining = std::max(0, main_size - fixed_total);
  int cursor = vertical ? inner.top : inner.left;
  for (int i = 0; i < box.GetCount(); ++i) {
    CControlUI* child = box.GetItemAt(i);
    if (!child->IsVisible()) {
      continue;
    }
    if (child->IsFloat()) {
      place_float(child);
      continue;
    }
    const SIZE wanted = child->EstimateSize(available);
    const RECT& pad = child->GetPadding();
    int length = vertical ? wanted.cy : wanted.cx;
    if (length <= 0) {
      length = stretching > 0 ? remaining / stretching : 0;
      --stretching;
      remaining -= length;
    }
    length = vertical ? std::clamp(length, child->GetMinHeight(),
                                   std::max(child->GetMinHeight(), child->GetMaxHeight()))
                      : std::clamp(length, child->GetMinWidth(),
                                   std::max(child->GetMinWidth(), child->GetMaxWidth()));
    const int lead = vertical ? pad.left : pad.top;
    const int trail = vertical ? pad.right : pad.bottom;
    int across = vertical ? wanted.cx : wanted.cy;
    if (across <= 0 || across > cross_size - lead - trail) {
      across = cross_size - lead - trail;
    }
    cursor += vertical ? pad.top : pad.left;
    RECT rect = {};
    if (vertical) {
      rect = {inner.left + lead, cursor, inner.left + lead + across, cursor + length};
      cursor += length + pad.bottom + child_padding;
    } else {
      rect = {cursor, inner.top + lead, cursor + length, inner.top + lead + across};
      cursor += length + pad.right + child_padding;
    }
    child->SetPos(rect);
  }
}

}  // namespace

void CVerticalLayoutUI::SetPos(const RECT& rect) {
  CControlUI::SetPos(rect);
  LayOut(*this, InnerRect(), GetChildPadding(), true,
         [this](CControlUI* child) { PlaceFloat(child); });
}

void CHorizontalLayoutUI::SetPos(const RECT& rect) {
  CControlUI::SetPos(rect);
  LayOut(*this, InnerRect(), GetChildPadding(), false,
         [this](CControlUI* child) { PlaceFloat(child); });
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) {
    return false;
  }
  if (current_ >= 0 && index <= current_) {
    ++current_;
  }
  bool shown = false;
  if (current_ < 0) {
    current_ = index;
    shown = true;
  } else if (wanted_ == index) {
    // The skin's "selectedid" names a page added after the first.
    GetItemAt(current_)->SetVisible(false);
    current_ = index;
    shown = true;
  }
  control->SetVisible(shown);
  return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
  const int index = GetItemIndex(control);
  if (!CContainerUI::Remove(control)) {
    return false;
  }
  if (index == current_) {
    current_ = -1;
    SelectItem(std::min(index, GetCount() - 1));
  } else if (index < current_) {
    --current_;
  }
  return true;
}

void CTabLayoutUI::RemoveAll() {
  CContainerUI::RemoveAll();
  current_ = -1;
}

void CTabLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  int number = 0;
  if (skin_attr::SameName(name, L"selectedid")) {
    if (skin_attr::ParseInt(value, &number)) {
      wanted_ = number;
      SelectItem(number);
    }
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

bool CTabLayoutUI::SelectItem(int index) {
  if (index < 0 || index >= GetCount()) {
    return false;
  }
  if (index == current_) {
    return true;
  }
  const int old = current_;
  current_ = index;
  for (int i = 0; i < GetCount(); ++i) {
    GetItemAt(i)->SetVisible(i == index);
  }
  NeedUpdate();
  if (manager_) {
    manager_->SendNotify(this, ui_notify::kTabSelect, static_cast<WPARAM>(index),
                         static_cast<LPARAM>(old));
  }
  return true;
}

void CTabLayoutUI::SetPos(const RECT& rect) {
  CControlUI::SetPos(rect);
  const RECT inner = InnerRect();
  for (int i = 0; i < GetCount(); ++i) {
    CControlUI* page = GetItemAt(i);
    if (!page->IsVisible()) {
      continue;
    }
    if (page->IsFloat()) {
      PlaceFloat(page);
      continue;
    }
    const RECT& pad = page->GetPadding();
    page->SetPos({inner.left + pad.left, inner.top + pad.top, inner.right - pad.right,
                  inner.bottom - pad.bottom});
  }
}
