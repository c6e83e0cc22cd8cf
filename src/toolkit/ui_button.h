#pragma once

#include "toolkit/ui_label.h"

// A label that is pressed: pictures and colours for the normal, hot (under
// the pointer), pushed, focused and disabled states; "click" when the button
// is released over it, or on Space while it has the focus.
class CButtonUI : public CLabelUI {
 public:
  CButtonUI();
  const wchar_t* GetClass() const override { return L"ButtonUI"; }

  void SetNormalImage(const std::wstring& image);
  void SetHotImage(const std::wstring& image);
  void SetPushedImage(const std::wstring& image);
  void SetDisabledImage(const std::wstring& image);
  bool IsHot() const { return hot_; }
  bool IsPushed() const { return pushed_; }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  bool Activate() override;
  bool WantsFocus() const override { return IsKeyboardEnabled(); }
  void SetEnabled(bool enabled) override;

 protected:
  void PaintBkColor(HDC dc) override;
  void PaintStatusImage(HDC dc) override;
  void PaintText(HDC dc) override;

  CImageAttribute normal_image_;
  CImageAttribute hot_image_;
  CImageAttribute pushed_image_;
  CImageAttribute focused_image_;
  CImageAttribute disabled_image_;
  CImageAttribute fore_image_;
  uint32_t hot_text_color_ = 0;
  uint32_t pushed_text_color_ = 0;
  uint32_t focused_text_color_ = 0;
  uint32_t hot_bk_color_ = 0;
  uint32_t pushed_bk_color_ = 0;
  bool hot_ = false;
  bool pushed_ = false;
  bool captured_ = false;
  bool hand_cursor_ = false;
};
