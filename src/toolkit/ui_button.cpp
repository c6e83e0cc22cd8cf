#include "toolkit/ui_button.h"

#include "toolkit/paint_manager.h"
#include "toolkit/ui_render.h"

CButtonUI::CButtonUI() {
  text_style_ = DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX;
  keyboard_enabled_ = true;
}

void CButtonUI::SetNormalImage(const std::wstring& image) {
  normal_image_.Set(image);
  Invalidate();
}

void CButtonUI::SetHotImage(const std::wstring& image) {
  hot_image_.Set(image);
  Invalidate();
}

void CButtonUI::SetPushedImage(const std::wstring& image) {
  pushed_image_.Set(image);
  Invalidate();
}

void CButtonUI::SetDisabledImage(const std::wstring& image) {
  disabled_image_.Set(image);
  Invalidate();
}

void CButtonUI::SetEnabled(bool enabled) {
  if (!enabled) {
    hot_ = pushed_ = captured_ = false;
  }
  CLabelUI::SetEnabled(enabled);
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using skin_attr::SameName;
  uint32_t color = 0;
  if (SameName(name, L"normalimage")) {
    SetNormalImage(value);
  } else if (SameName(name, L"hotimage")) {
    SetHotImage(value);
  } else if (SameName(name, L"pushedimage")) {
    SetPushedImage(value);
  } else if (SameName(name, L"focusedimage")) {
    focused_image_.Set(value);
  } else if (SameName(name, L"disabledimage")) {
    SetDisabledImage(value);
  } else if (SameName(name, L"foreimage")) {
    fore_image_.Set(value);
  } else if (SameName(name, L"hottextcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      hot_text_color_ = color;
    }
  } else if (SameName(name, L"pushedtextcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      pushed_text_color_ = color;
    }
  } else if (SameName(name, L"focusedtextcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      focused_text_color_ = color;
    }
  } else if (SameName(name, L"hotbkcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      hot_bk_color_ = color;
    }
  } else if (SameName(name, L"pushedbkcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      pushed_bk_color_ = color;
    }
  } else if (SameName(name, L"cursor")) {
    hand_cursor_ = SameName(value, L"hand");
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

void CButtonUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) {
    CControlUI::DoEvent(event);
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
    case UiEvent::kDoubleClick:
      if (PtInRect(&rc_item_, event.ptMouse)) {
        captured_ = pushed_ = true;
        Invalidate();
      }
      return;
    case UiEvent::kMouseMove:
      if (captured_) {
        const bool inside = PtInRect(&rc_item_, event.ptMouse) != FALSE;
        if (inside != pushed_) {
          pushed_ = inside;
          Invalidate();
        }
      }
      return;
    case UiEvent::kButtonUp:
      if (captured_) {
        const bool inside = PtInRect(&rc_item_, event.ptMouse) != FALSE;
        captured_ = pushed_ = false;
        Invalidate();
        if (inside) {
          Activate();
        }
      }
      return;
    case UiEvent::kKeyDown:
      if (event.chKey == VK_SPACE) {
        Activate();
        return;
      }
      break;
    case UiEvent::kSetCursor:
      SetCursor(LoadCursorW(nullptr, hand_cursor_ ? IDC_HAND : IDC_ARROW));
      return;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

bool CButtonUI::Activate() {
  if (!CControlUI::Activate()) {
    return false;
  }
  if (manager_) {
    manager_->SendNotify(this, ui_notify::kClick);
  }
  return true;
}

void CButtonUI::PaintBkColor(HDC dc) {
  if (IsEnabled() && pushed_ && (pushed_bk_color_ >> 24)) {
    ui_render::FillArgb(dc, rc_item_, pushed_bk_color_);
  } else if (IsEnabled() && hot_ && (hot_bk_color_ >> 24)) {
    ui_render::FillArgb(dc, rc_item_, hot_bk_color_);
  } else {
    CControlUI::PaintBkColor(dc);
  }
}

void CButtonUI::PaintStatusImage(HDC dc) {
  bool drawn = false;
  if (!IsEnabled()) {
    drawn = DrawImage(dc, disabled_image_);
  } else if (pushed_) {
    drawn = DrawImage(dc, pushed_image_) || DrawImage(dc, hot_image_);
  } else if (hot_) {
    drawn = DrawImage(dc, hot_image_);
  } else if (focused_) {
    drawn = DrawImage(dc, focused_image_);
  }
  if (!drawn) {
    DrawImage(dc, normal_image_);
  }
  DrawImage(dc, fore_image_);
}

void CButtonUI::PaintText(HDC dc) {
  uint32_t color = text_color_;
  if (!IsEnabled()) {
    color = disabled_text_color_;
  } else if (pushed_ && pushed_text_color_) {
    color = pushed_text_color_;
  } else if ((hot_ || pushed_) && hot_text_color_) {
    color = hot_text_color_;
  } else if (focused_ && focused_text_color_) {
    color = focused_text_color_;
  }
  DrawTextIn(dc, color);
}
