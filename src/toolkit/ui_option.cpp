#include "toolkit/ui_option.h"

#include "toolkit/paint_manager.h"
#include "toolkit/ui_render.h"

void COptionUI::SetGroup(const std::wstring& group) {
  group_ = group;
  Invalidate();
}

void COptionUI::Selected(bool selected, bool send_notify) {
  if (selected_ == selected) {
    return;
  }
  selected_ = selected;
  Invalidate();
  if (selected_ && !group_.empty() && manager_ && manager_->GetRoot()) {
    const std::wstring group = group_;
    manager_->GetRoot()->FindControl([&](CControlUI* control) {
      auto* other = dynamic_cast<COptionUI*>(control);
      if (other && other != this && other->group_ == group && other->selected_) {
        other->Selected(false, send_notify);
      }
      return false;
    });
  }
  if (send_notify && manager_) {
    manager_->SendNotify(this, ui_notify::kSelectChanged);
  }
}

bool COptionUI::Activate() {
  if (!CButtonUI::Activate()) {
    return false;
  }
  Selected(group_.empty() ? !selected_ : true);
  return true;
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using skin_attr::SameName;
  uint32_t color = 0;
  bool flag = false;
  if (SameName(name, L"group")) {
    SetGroup(value);
  } else if (SameName(name, L"selected")) {
    if (skin_attr::ParseBool(value, &flag)) {
      Selected(flag, false);
    }
  } else if (SameName(name, L"selectedimage")) {
    selected_image_.Set(value);
  } else if (SameName(name, L"selectedhotimage")) {
    selected_hot_image_.Set(value);
  } else if (SameName(name, L"selectedpushedimage")) {
    selected_pushed_image_.Set(value);
  } else if (SameName(name, L"selecteddisabledimage")) {
    selected_disabled_image_.Set(value);
  } else if (SameName(name, L"selectedtextcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      selected_text_color_ = color;
    }
  } else if (SameName(name, L"selectedbkcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      selected_bk_color_ = color;
    }
  } else {
    CButtonUI::SetAttribute(name, value);
  }
}

void COptionUI::PaintBkColor(HDC dc) {
  if (selected_ && (selected_bk_color_ >> 24)) {
    ui_render::FillArgb(dc, rc_item_, selected_bk_color_);
    return;
  }
  CButtonUI::PaintBkColor(dc);
}

void COptionUI::PaintStatusImage(HDC dc) {
  if (selected_) {
    bool drawn = false;
    if (!IsEnabled()) {
      drawn = DrawImage(dc, selected_disabled_image_);
    } else if (pushed_) {
      drawn = DrawImage(dc, selected_pushed_image_) || DrawImage(dc, selected_hot_image_);
    } else if (hot_) {
      drawn = DrawImage(dc, selected_hot_image_);
    }
    if (drawn || DrawImage(dc, selected_image_)) {
      DrawImage(dc, fore_image_);
      return;
    }
  }
  CButtonUI::PaintStatusImage(dc);
}

void COptionUI::PaintText(HDC dc) {
  if (selected_ && IsEnabled() && selected_text_color_) {
    DrawTextIn(dc, selected_text_color_);
    return;
  }
  CButtonUI::PaintText(dc);
}

void CCheckBoxUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  bool flag = false;
  if (skin_attr::SameName(name, L"checked")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetCheck(flag, false);
    }
  } else if (!skin_attr::SameName(name, L"group")) {
    COptionUI::SetAttribute(name, value);
  }
}
