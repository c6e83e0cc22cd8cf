#include "toolkit/ui_control.h"

#include "toolkit/paint_manager.h"
#include "toolkit/skin_image.h"
#include "toolkit/skin_resources.h"
#include "toolkit/ui_render.h"

namespace {

RECT ToRect(const skin_attr::CBox& box) { return {box.left, box.top, box.right, box.bottom}; }

}  // namespace

void CImageAttribute::Set(const std::wstring& value) {
  text = value;
  valid = !value.empty() && skin_attr::ParseImageSpec(value, &look);
}

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  if (manager_) {
    manager_->ReapControl(this);
  }
}

bool CControlUI::IsClass(const wchar_t* name) const {
  const std::wstring class_name = GetClass();
  if (skin_attr::SameName(class_name, name)) {
    return true;
  }
  // "LabelUI" also answers to "Label".
  return class_name.size() > 2 &&
         skin_attr::SameName(class_name.substr(0, class_name.size() - 2), name);
}

void CControlUI::SetText(const std::wstring& text) {
  if (text_ == text) {
    return;
  }
  text_ = text;
  Invalidate();
}

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using skin_attr::SameName;
  skin_attr::CBox box;
  uint32_t color = 0;
  bool flag = false;
  int number = 0;
  if (SameName(name, L"name")) {
    SetName(value);
  } else if (SameName(name, L"text")) {
    SetText(skin_resources::ResolveText(value));
  } else if (SameName(name, L"tooltip")) {
    SetToolTip(skin_resources::ResolveText(value));
  } else if (SameName(name, L"pos")) {
    if (skin_attr::ParseBox(value, &box)) {
      float_pos_ = ToRect(box);
      // A position also fixes the size, as in a fixed layout.
      fixed_ = {box.right - box.left, box.bottom - box.top};
      NeedParentUpdate();
    }
  } else if (SameName(name, L"float")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetFloat(flag);
    }
  } else if (SameName(name, L"padding")) {
    if (skin_attr::ParseBox(value, &box)) {
      SetPadding(ToRect(box));
    }
  } else if (SameName(name, L"width")) {
    if (skin_attr::ParseInt(value, &number)) {
      SetFixedWidth(number);
    }
  } else if (SameName(name, L"height")) {
    if (skin_attr::ParseInt(value, &number)) {
      SetFixedHeight(number);
    }
  } else if (SameName(name, L"minwidth")) {
    if (skin_attr::ParseInt(value, &number)) {
      min_.cx = number;
    }
  } else if (SameName(name, L"minheight")) {
    if (skin_attr::ParseInt(value, &number)) {
      min_.cy = number;
    }
  } else if (SameName(name, L"maxwidth")) {
    if (skin_attr::ParseInt(value, &number)) {
      max_.cx = number;
    }
  } else if (SameName(name, L"maxheight")) {
    if (skin_attr::ParseInt(value, &number)) {
      max_.cy = number;
    }
  } else if (SameName(name, L"bkcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      SetBkColor(color);
    }
  } else if (SameName(name, L"bordercolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      SetBorderColor(color);
    }
  } else if (SameName(name, L"bordersize")) {
    if (skin_attr::ParseInt(value, &number)) {
      SetBorderSize(number);
    }
  } else if (SameName(name, L"borderround")) {
    int cx = 0;
    int cy = 0;
    if (skin_attr::ParseSize(value, &cx, &cy)) {
      border_round_ = {cx, cy};
      Invalidate();
    }
  } else if (SameName(name, L"bkimage")) {
    SetBkImage(value);
  } else if (SameName(name, L"visible")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetVisible(flag);
    }
  } else if (SameName(name, L"enabled")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetEnabled(flag);
    }
  } else if (SameName(name, L"mouse")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetMouseEnabled(flag);
    }
  } else if (SameName(name, L"keyboard")) {
    if (skin_attr::ParseBool(value, &flag)) {
      keyboard_enabled_ = flag;
    }
  } else if (SameName(name, L"tag")) {
    if (skin_attr::ParseInt(value, &number)) {
      SetTag(static_cast<UINT_PTR>(number));
    }
  }
}

void CControlUI::ApplyAttributeList(const std::wstring& list) {
  size_t at = 0;
  while (at < list.size()) {
    const size_t equals = list.find(L'=', at);
    if (equals == std::wstring::npos || equals + 1 >= list.size()) {
      return;
    }
    const wchar_t quote = list[equals + 1];
    if (quote != L'"' && quote != L'\'') {
      return;
    }
    const size_t close = list.find(quote, equals + 2);
    if (close == std::wstring::npos) {
      return;
    }
    std::wstring name = list.substr(at, equals - at);
    name.erase(0, name.find_first_not_of(L" \t\r\n"));
    name.erase(name.find_last_not_of(L" \t\r\n") + 1);
    SetAttribute(name, list.substr(equals + 2, close - equals - 2));
    at = close + 1;
  }
}

void CControlUI::SetPos(const RECT& rect) {
  RECT fixed = rect;
  if (fixed.right < fixed.left) {
    fixed.right = fixed.left;
  }
  if (fixed.bottom < fixed.top) {
    fixed.bottom = fixed.top;
  }
  if (EqualRect(&fixed, &rc_item_)) {
    return;
  }
  Invalidate();
  rc_item_ = fixed;
  Invalidate();
}

SIZE CControlUI::EstimateSize(SIZE) { return fixed_; }

void CControlUI::SetFixedWidth(int width) {
  if (width < 0 || fixed_.cx == width) {
    return;
  }
  fixed_.cx = width;
  if (float_) {
    float_pos_.right = float_pos_.left + width;
  }
  NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
  if (height < 0 || fixed_.cy == height) {
    return;
  }
  fixed_.cy = height;
  if (float_) {
    float_pos_.bottom = float_pos_.top + height;
  }
  NeedParentUpdate();
}

void CControlUI::SetPadding(const RECT& padding) {
  padding_ = padding;
  NeedParentUpdate();
}

void CControlUI::SetFloat(bool is_float) {
  if (float_ == is_float) {
    return;
  }
  float_ = is_float;
  NeedParentUpdate();
}

void CControlUI::SetVisible(bool visible) {
  if (visible_ == visible) {
    return;
  }
  const bool was_visible = IsVisible();
  visible_ = visible;
  if (!IsVisible() && was_visible && manager_ && manager_->GetFocus() == this) {
    manager_->SetFocus(nullptr);
  }
  if (IsVisible() != was_visible) {
    NeedParentUpdate();
    // A hidden control's old area must be repainted by its parent.
    if (parent_) {
      parent_->Invalidate();
    }
  }
}

void CControlUI::SetInternVisible(bool visible) {
  internal_visible_ = visible;
  if (!visible && manager_ && manager_->GetFocus() == this) {
    manager_->SetFocus(nullptr);
  }
}

void CControlUI::SetEnabled(bool enabled) {
  if (enabled_ == enabled) {
    return;
  }
  enabled_ = enabled;
  Invalidate();
}

void CControlUI::SetFocus() {
  if (manager_) {
    manager_->SetFocus(this);
  }
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::SetBkColor(uint32_t argb) {
  bk_color_ = argb;
  Invalidate();
}

void CControlUI::SetBorderColor(uint32_t argb) {
  border_color_ = argb;
  Invalidate();
}

void CControlUI::SetBorderSize(int size) {
  border_size_ = size < 0 ? 0 : size;
  Invalidate();
}

void CControlUI::SetBkImage(const std::wstring& image) {
  bk_image_.Set(image);
  Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
  const bool joined = manager && manager_ != manager;
  manager_ = manager;
  parent_ = parent;
  if (joined) {
    DoInit();
  }
}

CControlUI* CControlUI::FindControl(const std::function<bool(CControlUI*)>& match) {
  return match(this) ? this : nullptr;
}

CControlUI* CControlUI::FindControlAt(POINT point) {
  if (!IsVisible() || !IsMouseEnabled() || !PtInRect(&rc_item_, point)) {
    return nullptr;
  }
  return this;
}

void CControlUI::DoEvent(TEventUI& event) {
  if (event.type == UiEvent::kSetFocus) {
    focused_ = true;
    Invalidate();
  } else if (event.type == UiEvent::kKillFocus) {
    focused_ = false;
    Invalidate();
  } else if (parent_ &&
             (event.type == UiEvent::kScrollWheel || event.type == UiEvent::kMouseHover)) {
    parent_->DoEvent(event);
  }
}

void CControlUI::DoPaint(HDC dc, const RECT& paint) {
  if (!IntersectRect(&paint_rect_, &paint, &rc_item_)) {
    return;
  }
  PaintBkColor(dc);
  PaintBkImage(dc);
  PaintStatusImage(dc);
  PaintText(dc);
  PaintBorder(dc);
}

void CControlUI::PaintBkColor(HDC dc) {
  if (bk_color_ >> 24) {
    ui_render::FillRoundRect(dc, rc_item_, border_round_, bk_color_);
  }
}

void CControlUI::PaintBkImage(HDC dc) { DrawImage(dc, bk_image_); }

void CControlUI::PaintBorder(HDC dc) {
  if (border_size_ > 0 && (border_color_ >> 24)) {
    ui_render::DrawBorder(dc, rc_item_, border_size_, border_color_, border_round_);
  }
}

bool CControlUI::DrawImage(HDC dc, const CImageAttribute& image) {
  return DrawImage(dc, image, rc_item_);
}

bool CControlUI::DrawImage(HDC dc, const CImageAttribute& image, const RECT& rect) {
  if (image.IsEmpty() || !manager_) {
    return false;
  }
  CSkinImage* picture = manager_->GetImage(image.look.file);
  if (!picture) {
    return false;
  }
  ui_render::DrawImage(dc, *picture, rect, paint_rect_, image.look);
  return true;
}

void CControlUI::Invalidate() {
  if (manager_ && IsVisible()) {
    manager_->Invalidate(rc_item_);
  }
}

void CControlUI::NeedUpdate() {
  if (manager_) {
    manager_->NeedUpdate();
  }
}

void CControlUI::NeedParentUpdate() {
  if (manager_) {
    manager_->NeedUpdate();
  }
}
