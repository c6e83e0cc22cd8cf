#pragma once

#include "toolkit/ui_container.h"

// Children one below the other: fixed heights first, the rest of the height
// shared evenly among the children without one.
class CVerticalLayoutUI : public CContainerUI {
 public:
  const wchar_t* GetClass() const override { return L"VerticalLayoutUI"; }
  void SetPos(const RECT& rect) override;
};

// Children side by side, the same rule for widths.
class CHorizontalLayoutUI : public CContainerUI {
 public:
  const wchar_t* GetClass() const override { return L"HorizontalLayoutUI"; }
  void SetPos(const RECT& rect) override;
};

// One child (page) shown at a time; selecting another sends "tabselect"
// with wParam the new page and lParam the old.
class CTabLayoutUI : public CContainerUI {
 public:
  const wchar_t* GetClass() const override { return L"TabLayoutUI"; }

  int GetCurSel() const { return current_; }
  bool SelectItem(int index);
  bool SelectItem(CControlUI* page) { return SelectItem(GetItemIndex(page)); }

  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control) override;
  void RemoveAll() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetPos(const RECT& rect) override;

 private:
  int current_ = -1;
  int wanted_ = -1;
};
