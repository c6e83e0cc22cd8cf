#pragma once

#include "toolkit/ui_button.h"

// A button that stays selected. Options of one "group" select one another
// out; an option without a group toggles. Every change of state sends
// "selectchanged" unless the caller asks for silence.
class COptionUI : public CButtonUI {
 public:
  const wchar_t* GetClass() const override { return L"OptionUI"; }

  bool IsSelected() const { return selected_; }
  void Selected(bool selected, bool send_notify = true);
  const std::wstring& GetGroup() const { return group_; }
  void SetGroup(const std::wstring& group);

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  bool Activate() override;

 protected:
  void PaintBkColor(HDC dc) override;
  void PaintStatusImage(HDC dc) override;
  void PaintText(HDC dc) override;

 private:
  std::wstring group_;
  bool selected_ = false;
  CImageAttribute selected_image_;
  CImageAttribute selected_hot_image_;
  CImageAttribute selected_pushed_image_;
  CImageAttribute selected_disabled_image_;
  uint32_t selected_text_color_ = 0;
  uint32_t selected_bk_color_ = 0;
};

// An option without a group: ticked or not.
class CCheckBoxUI : public COptionUI {
 public:
  const wchar_t* GetClass() const override { return L"CheckBoxUI"; }
  bool GetCheck() const { return IsSelected(); }
  void SetCheck(bool check, bool send_notify = true) { Selected(check, send_notify); }
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
};
