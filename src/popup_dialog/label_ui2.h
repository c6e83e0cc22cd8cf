#pragma once

#include <string>

#include "toolkit/ui_label.h"

// A label that draws its text with GDI+, anti-aliased, centred vertically
// and aligned by its alignment word ("left", "right", anything else
// centred). In a layered window the text is drawn into a transparent
// off-screen bitmap first and blended with its per-pixel alpha, so its
// edges are right over any background.
class CLabelUI2 : public CLabelUI {
 public:
  const wchar_t* GetClass() const override { return L"LabelUI2"; }

  void SetAlign(const std::wstring& word) { align_ = word; }
  const std::wstring& GetAlign() const { return align_; }

 protected:
  void PaintText(HDC dc) override;

 private:
  std::wstring align_ = L"center";
};
