#pragma once

#include <memory>
#include <vector>

#include "toolkit/ui_control.h"

// A control with children. It owns them; a floating child sits at its "pos"
// from the container's top-left, the others are laid out by the subclasses
// (a plain container gives each of them its whole inner rectangle).
class CContainerUI : public CControlUI {
 public:
  const wchar_t* GetClass() const override { return L"ContainerUI"; }

  // Takes ownership of control; false (and the control deleted) when it is
  // null.
  virtual bool Add(CControlUI* control);
  virtual bool AddAt(CControlUI* control, int index);
  // Deletes the child.
  virtual bool Remove(CControlUI* control);
  virtual void RemoveAll();
  int GetCount() const { return static_cast<int>(items_.size()); }
  CControlUI* GetItemAt(int index) const;
  int GetItemIndex(const CControlUI* control) const;

  const RECT& GetInset() const { return inset_; }
  void SetInset(const RECT& inset);
  int GetChildPadding() const { return child_padding_; }
  void SetChildPadding(int padding);

  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetPos(const RECT& rect) override;
  void SetVisible(bool visible) override;
  void SetInternVisible(bool visible) override;
  void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
  CControlUI* FindControl(const std::function<bool(CControlUI*)>& match) override;
  CControlUI* FindControlAt(POINT point) override;
  void DoPaint(HDC dc, const RECT& paint) override;

 protected:
  // The rectangle inside the inset.
  RECT InnerRect() const;
  void PlaceFloat(CControlUI* child);

  std::vector<std::unique_ptr<CControlUI>> items_;

 private:
  RECT inset_ = {};
  int child_padding_ = 0;
};
