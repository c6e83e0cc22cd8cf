#pragma once

#include "toolkit/ui_layouts.h"

// How the items of a list or combo look; attributes "itemfont",
// "itemtextcolor", "itemhotbkcolor", ... of the owner.
struct CListItemStyle {
  int font = -1;
  UINT text_style = DT_VCENTER | DT_SINGLELINE | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS;
  RECT text_padding = {};
  uint32_t text_color = 0xFF000000;
  uint32_t hot_text_color = 0;
  uint32_t selected_text_color = 0;
  uint32_t disabled_text_color = 0xFFA7A6AA;
  uint32_t bk_color = 0;
  uint32_t hot_bk_color = 0;
  uint32_t selected_bk_color = 0;
  CImageAttribute hot_image;
  CImageAttribute selected_image;
  int item_height = 0;

  // True when name is one of the item attributes.
  bool SetAttribute(const std::wstring& name, const std::wstring& value);
};

// What an item needs of the list or combo that holds it.
class IListOwnerUI {
 public:
  virtual ~IListOwnerUI() = default;
  virtual const CListItemStyle& GetItemStyle() const = 0;
  virtual int GetItemIndexOf(const CControlUI* item) const = 0;
  virtual bool SelectItem(int index, bool take_focus = false, bool send_notify = true) = 0;
  virtual void OnItemClick(int index) = 0;
};

// The selection of a list's or combo's items moved from cur_sel to index
// (-1: none): refused for a missing or disabled item; the old item
// unselected and the new one selected, the owner redrawn, focused when
// take_focus, and "itemselect" sent with the new and old index when
// send_notify. True when index is selected afterwards.
bool MoveListSelection(CContainerUI& owner, int& cur_sel, int index, bool take_focus,
                       bool send_notify);

// One row of a list: its own text, and any child controls side by side
// (which take no input: the whole row is the item). Reports "mouseenter"
// and "mouseleave" when the pointer enters or leaves it; a click selects it.
class CListElementUI : public CHorizontalLayoutUI {
 public:
  const wchar_t* GetClass() const override { return L"ListElementUI"; }

  void SetOwner(IListOwnerUI* owner) { owner_ = owner; }
  IListOwnerUI* GetOwner() const { return owner_; }
  int GetIndex() const { return owner_ ? owner_->GetItemIndexOf(this) : -1; }
  bool IsSelected() const { return selected_; }
  // Marks the row; the owner sends the notification.
  void Select(bool selected);
  bool IsHot() const { return hot_; }

  SIZE EstimateSize(SIZE available) override;
  CControlUI* FindControlAt(POINT point) override;
  void DoEvent(TEventUI& event) override;
  void SetEnabled(bool enabled) override;

 protected:
  void PaintBkColor(HDC dc) override;
  void PaintStatusImage(HDC dc) override;
  void PaintText(HDC dc) override;

 private:
  IListOwnerUI* owner_ = nullptr;
  bool selected_ = false;
  bool hot_ = false;
  bool captured_ = false;
};

// A column of items, one selected at a time: "itemselect" with wParam the
// new index and lParam the old one when the selection changes, "itemclick"
// with the index on every click.
class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
 public:
  CListUI();
  const wchar_t* GetClass() const override { return L"ListUI"; }

  int GetCurSel() const { return cur_sel_; }
  bool SelectItem(int index, bool take_focus = false, bool send_notify = true) override;
  const CListItemStyle& GetItemStyle() const override { return style_; }
  CListItemStyle& ItemStyle() { return style_; }
  int GetItemIndexOf(const CControlUI* item) const override { return GetItemIndex(item); }
  void OnItemClick(int index) override;

  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control) override;
  void RemoveAll() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  bool WantsFocus() const override { return IsKeyboardEnabled(); }

 private:
  CListItemStyle style_;
  int cur_sel_ = -1;
};
