#pragma once

#include <memory>

#include "toolkit/ui_container.h"
#include "toolkit/ui_list.h"

class CComboDropWnd;

// A drop-down choice: shows the selected item's text over its pictures;
// a click opens a list of its items (the ListElement children of the skin)
// in a popup below it. Choosing one sends "itemselect" (wParam the new
// index, lParam the old).
class CComboUI : public CContainerUI, public IListOwnerUI {
 public:
  CComboUI();
  ~CComboUI() override;
  const wchar_t* GetClass() const override { return L"ComboUI"; }

  int GetCurSel() const { return cur_sel_; }
  bool SelectItem(int index, bool take_focus = false, bool send_notify = true) override;
  const CListItemStyle& GetItemStyle() const override { return style_; }
  int GetItemIndexOf(const CControlUI* item) const override { return GetItemIndex(item); }
  void OnItemClick(int /*index*/) override {}
  std::wstring GetText() const override;
  SIZE GetDropBoxSize() const { return drop_size_; }
  uint32_t GetDropBoxColor() const { return drop_color_; }
  bool IsDropped() const;
  void CloseDrop();

  bool AddAt(CControlUI* control, int index) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetPos(const RECT& rect) override;
  void DoPaint(HDC dc, const RECT& paint) override;
  CControlUI* FindControlAt(POINT point) override;
  void DoEvent(TEventUI& event) override;
  bool Activate() override;
  bool WantsFocus() const override { return IsKeyboardEnabled(); }

 protected:
  void PaintStatusImage(HDC dc) override;
  void PaintText(HDC dc) override;

 private:
  CListItemStyle style_;
  int cur_sel_ = -1;
  SIZE drop_size_ = {0, 150};
  uint32_t drop_color_ = 0xFFFFFFFF;
  uint32_t text_color_ = 0xFF000000;
  uint32_t disabled_text_color_ = 0xFFA7A6AA;
  int font_ = -1;
  RECT text_padding_ = {};
  UINT text_style_ = DT_VCENTER | DT_SINGLELINE | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS;
  CImageAttribute normal_image_;
  CImageAttribute hot_image_;
  CImageAttribute pushed_image_;
  CImageAttribute disabled_image_;
  bool hot_ = false;
  std::unique_ptr<CComboDropWnd> drop_;
};
