#include "toolkit/ui_label.h"

#include "framework/gdi_objects.h"
#include "toolkit/paint_manager.h"
#include "toolkit/ui_render.h"

UINT ApplyAlignWord(UINT style, const std::wstring& word) {
  using skin_attr::SameName;
  constexpr UINT kHorizontal = DT_LEFT | DT_CENTER | DT_RIGHT;
  constexpr UINT kVertical = DT_TOP | DT_VCENTER | DT_BOTTOM;
  if (SameName(word, L"left")) {
    return (style & ~kHorizontal) | DT_LEFT;
  }
  if (SameName(word, L"center") || SameName(word, L"centre")) {
    return (style & ~kHorizontal) | DT_CENTER;
  }
  if (SameName(word, L"right")) {
    return (style & ~kHorizontal) | DT_RIGHT;
  }
  if (SameName(word, L"top")) {
    return (style & ~kVertical) | DT_TOP;
  }
  if (SameName(word, L"vcenter")) {
    return (style & ~kVertical) | DT_VCENTER;
  }
  if (SameName(word, L"bottom")) {
    return (style & ~kVertical) | DT_BOTTOM;
  }
  return style;
}

CLabelUI::CLabelUI() { keyboard_enabled_ = false; }

void CLabelUI::SetTextColor(uint32_t argb) {
  text_color_ = argb;
  Invalidate();
}

void CLabelUI::SetDisabledTextColor(uint32_t argb) {
  disabled_text_color_ = argb;
  Invalidate();
}

void CLabelUI::SetFont(int index) {
  font_ = index;
  Invalidate();
}

HFONT CLabelUI::GetFontHandle() const {
  return manager_ ? manager_->GetFont(font_) : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void CLabelUI::SetTextStyle(UINT style) {
  text_style_ = style;
  Invalidate();
}

void CLabelUI::SetTextPadding(const RECT& padding) {
  text_padding_ = padding;
  Invalidate();
}

RECT CLabelUI::TextRect() const {
  return {rc_item_.left + text_padding_.left, rc_item_.top + text_padding_.top,
          rc_item_.right - text_padding_.right, rc_item_.bottom - text_padding_.bottom};
}

SIZE CLabelUI::MeasureText() const {
  CClientDC screen(nullptr);
  const RECT box = TextRect();
  return ui_render::MeasureText(screen, text_, GetFontHandle(), text_style_,
                                (text_style_ & DT_WORDBREAK) ? box.right - box.left : 0);
}

void CLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  using skin_attr::SameName;
  uint32_t color = 0;
  int number = 0;
  bool flag = false;
  skin_attr::CBox box;
  if (SameName(name, L"textcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      SetTextColor(color);
    }
  } else if (SameName(name, L"disabledtextcolor")) {
    if (skin_attr::ParseColor(value, &color)) {
      SetDisabledTextColor(color);
    }
  } else if (SameName(name, L"font")) {
    if (skin_attr::ParseInt(value, &number)) {
      SetFont(number);
    }
  } else if (SameName(name, L"align") || SameName(name, L"valign")) {
    SetTextStyle(ApplyAlignWord(text_style_, value));
  } else if (SameName(name, L"textpadding")) {
    if (skin_attr::ParseBox(value, &box)) {
      SetTextPadding({box.left, box.top, box.right, box.bottom});
    }
  } else if (SameName(name, L"endellipsis")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetTextStyle(flag ? (text_style_ | DT_END_ELLIPSIS) : (text_style_ & ~DT_END_ELLIPSIS));
    }
  } else if (SameName(name, L"multiline") || SameName(name, L"wordbreak")) {
    if (skin_attr::ParseBool(value, &flag)) {
      SetTextStyle(flag ? ((text_style_ & ~(DT_SINGLELINE | DT_VCENTER)) | DT_WORDBREAK)
                        : ((text_style_ & ~DT_WORDBREAK) | DT_SINGLELINE));
    }
  } else if (SameName(name, L"clickable")) {
    if (skin_attr::ParseBool(value, &flag)) {
      clickable_ = flag;
    }
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

void CLabelUI::DoEvent(TEventUI& event) {
  if (clickable_ && IsEnabled()) {
    if (event.type == UiEvent::kButtonUp && PtInRect(&rc_item_, event.ptMouse)) {
      Activate();
      return;
    }
    if (event.type == UiEvent::kSetCursor) {
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return;
    }
  }
  CControlUI::DoEvent(event);
}

bool CLabelUI::Activate() {
  if (!CControlUI::Activate()) {
    return false;
  }
  if (manager_) {
    manager_->SendNotify(this, ui_notify::kClick);
  }
  return true;
}

void CLabelUI::DrawTextIn(HDC dc, uint32_t argb) {
  if (text_.empty()) {
    return;
  }
  const bool layered = manager_ && manager_->IsLayered();
  ui_render::DrawText(dc, TextRect(), text_, GetFontHandle(), argb, text_style_, layered);
}

void CLabelUI::PaintText(HDC dc) {
  DrawTextIn(dc, IsEnabled() ? text_color_ : disabled_text_color_);
}
