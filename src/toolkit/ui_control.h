#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/skin_attributes.h"
#include "toolkit/ui_defs.h"

class CPaintManagerUI;

// A picture attribute as written in the skin, parsed once.
struct CImageAttribute {
  std::wstring text;
  skin_attr::CImageSpec look;
  bool valid = false;

  void Set(const std::wstring& value);
  bool IsEmpty() const { return !valid; }
};

// The base of every control: a rectangle in its window, laid out by its
// parent, painted in layers (background colour, background picture, state
// pictures, text, border) and told about input by the paint manager.
class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // "ControlUI", "LabelUI", ...: what FindSubControlByClass compares.
  virtual const wchar_t* GetClass() const { return L"ControlUI"; }
  // The class name or the skin element name ("Label" or "LabelUI").
  bool IsClass(const wchar_t* name) const;

  const std::wstring& GetName() const { return name_; }
  void SetName(const std::wstring& name) { name_ = name; }
  virtual std::wstring GetText() const { return text_; }
  virtual void SetText(const std::wstring& text);
  const std::wstring& GetToolTip() const { return tooltip_; }
  void SetToolTip(const std::wstring& text) { tooltip_ = text; }
  UINT_PTR GetTag() const { return tag_; }
  void SetTag(UINT_PTR tag) { tag_ = tag; }

  // Sets one attribute by name with its value as text; unknown names are
  // ignored (other classes may know them).
  virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
  // A list of name="value" pairs, as in a skin's Default element.
  void ApplyAttributeList(const std::wstring& list);

  // Layout.
  const RECT& GetPos() const { return rc_item_; }
  virtual void SetPos(const RECT& rect);
  // The size the control wants inside available (0 for "as the parent
  // gives").
  virtual SIZE EstimateSize(SIZE available);
  int GetFixedWidth() const { return fixed_.cx; }
  int GetFixedHeight() const { return fixed_.cy; }
  void SetFixedWidth(int width);
  void SetFixedHeight(int height);
  int GetMinWidth() const { return min_.cx; }
  int GetMaxWidth() const { return max_.cx; }
  int GetMinHeight() const { return min_.cy; }
  int GetMaxHeight() const { return max_.cy; }
  const RECT& GetPadding() const { return padding_; }
  void SetPadding(const RECT& padding);
  bool IsFloat() const { return float_; }
  void SetFloat(bool is_float);
  // "pos" of a floating control, relative to its parent's top-left.
  const RECT& GetFloatPos() const { return float_pos_; }

  // State.
  bool IsVisible() const { return visible_ && internal_visible_; }
  virtual void SetVisible(bool visible);
  // Visibility given by the parent (a hidden page of a tab layout).
  virtual void SetInternVisible(bool visible);
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  bool IsMouseEnabled() const { return mouse_enabled_; }
  void SetMouseEnabled(bool enabled) { mouse_enabled_ = enabled; }
  bool IsKeyboardEnabled() const { return keyboard_enabled_; }
  bool IsFocused() const { return focused_; }
  void SetFocus();
  // Controls that take part in Tab navigation and Space activation.
  virtual bool WantsFocus() const { return false; }
  // What a click (or Space on the focused control) does.
  virtual bool Activate();

  // Colours and pictures of every control.
  uint32_t GetBkColor() const { return bk_color_; }
  void SetBkColor(uint32_t argb);
  void SetBorderColor(uint32_t argb);
  void SetBorderSize(int size);
  const std::wstring& GetBkImage() const { return bk_image_.text; }
  void SetBkImage(const std::wstring& image);

  // Tree.
  CPaintManagerUI* GetManager() const { return manager_; }
  CControlUI* GetParent() const { return parent_; }
  virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);
  // The control of this subtree that satisfies match, searched front to
  // back; containers override to include their children.
  virtual CControlUI* FindControl(const std::function<bool(CControlUI*)>& match);
  // The control at point, the last drawn (topmost) first.
  virtual CControlUI* FindControlAt(POINT point);

  // Input and painting.
  virtual void DoEvent(TEventUI& event);
  virtual void DoPaint(HDC dc, const RECT& paint);
  void Invalidate();
  // The layout must be redone before the next paint.
  void NeedUpdate();
  void NeedParentUpdate();

  // Called once when the control joins a window's tree.
  virtual void DoInit() {}

 protected:
  virtual void PaintBkColor(HDC dc);
  virtual void PaintBkImage(HDC dc);
  virtual void PaintStatusImage(HDC /*dc*/) {}
  virtual void PaintText(HDC /*dc*/) {}
  virtual void PaintBorder(HDC dc);
  // Draws a picture attribute into rect (the control's by default); false
  // when there is nothing to draw.
  bool DrawImage(HDC dc, const CImageAttribute& image);
  bool DrawImage(HDC dc, const CImageAttribute& image, const RECT& rect);
  // The paint area of the current DoPaint.
  RECT paint_rect_ = {};

  CPaintManagerUI* manager_ = nullptr;
  CControlUI* parent_ = nullptr;
  RECT rc_item_ = {};
  bool focused_ = false;
  bool keyboard_enabled_ = true;
  std::wstring text_;

 private:
  std::wstring name_;
  std::wstring tooltip_;
  UINT_PTR tag_ = 0;
  SIZE fixed_ = {};
  SIZE min_ = {};
  SIZE max_ = {9999, 9999};
  RECT padding_ = {};
  RECT float_pos_ = {};
  bool float_ = false;
  bool visible_ = true;
  bool internal_visible_ = true;
  bool enabled_ = true;
  bool mouse_enabled_ = true;
  uint32_t bk_color_ = 0;
  uint32_t border_color_ = 0;
  int border_size_ = 0;
  SIZE border_round_ = {};
  CImageAttribute bk_image_;
};
