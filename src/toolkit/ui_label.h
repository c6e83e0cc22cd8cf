#pragma once

#include "toolkit/ui_control.h"

// Text in one of the skin's fonts, aligned inside the control less its text
// padding. With "clickable" it reports "click" like a button.
class CLabelUI : public CControlUI {
 public:
  CLabelUI();
  const wchar_t* GetClass() const override { return L"LabelUI"; }

  void SetTextColor(uint32_t argb);
  uint32_t GetTextColor() const { return text_color_; }
  void SetDisabledTextColor(uint32_t argb);
  // Index into the window's font table; -1 for the default font.
  void SetFont(int index);
  int GetFont() const { return font_; }
  HFONT GetFontHandle() const;
  // DrawText flags (DT_LEFT, DT_CENTER, DT_VCENTER, DT_SINGLELINE, ...).
  void SetTextStyle(UINT style);
  UINT GetTextStyle() const { return text_style_; }
  void SetTextPadding(const RECT& padding);
  const RECT& GetTextPadding() const { return text_padding_; }
  // The size of the text in the control's font (one line unless the style
  // wraps, then within the control's width).
  SIZE MeasureText() const;
  bool IsClickable() const { return clickable_; }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  bool Activate() override;

 protected:
  void PaintText(HDC dc) override;
  // The text rectangle: the control less its text padding.
  RECT TextRect() const;
  void DrawTextIn(HDC dc, uint32_t argb);

  uint32_t text_color_ = 0xFF000000;
  uint32_t disabled_text_color_ = 0xFFA7A6AA;
  int font_ = -1;
  UINT text_style_ = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  RECT text_padding_ = {};
  bool clickable_ = false;
};

// Reads "left", "center"/"centre", "right", "top", "vcenter", "bottom" into
// DrawText flags, keeping the other axis of style.
UINT ApplyAlignWord(UINT style, const std::wstring& word);
