#pragma once

#include <windows.h>

#include <string>

#include "image/obj_image.h"

class CToolTipCtrl;

// A light-weight element of a widget window: a button, picture or text,
// placed by the window's layout and painted with the window.
class CWidgetItem {
 public:
  enum Flags : int32_t {
    kHot = 1 << 0,
    kPressed = 1 << 1,
    kVisible = 1 << 2,
    kEnabled = 1 << 3,
  };

  CWidgetItem() = default;
  virtual ~CWidgetItem() = default;
  CWidgetItem(const CWidgetItem&) = delete;
  CWidgetItem& operator=(const CWidgetItem&) = delete;

  virtual void OnHoverEnter() {}
  virtual void OnHoverLeave() {}
  // The DC's viewport origin is at the item's top-left corner.
  virtual void Draw(HDC dc) = 0;
  virtual void RegisterTool(CToolTipCtrl& tooltip, HWND window, UINT_PTR tool_id);

  bool IsHot() const { return (flags & kHot) != 0; }
  bool IsPressed() const { return (flags & kPressed) != 0; }
  bool IsVisible() const { return (flags & kVisible) != 0; }
  bool IsEnabled() const { return (flags & kEnabled) != 0; }
  void SetFlag(int32_t flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }
  int Width() const { return rect.right - rect.left; }
  int Height() const { return rect.bottom - rect.top; }

  int32_t id = 0;
  int32_t style = 0;
  int32_t flags = kVisible | kEnabled;
  RECT rect = {};
  std::wstring tooltip_text;
};

namespace widget_window {

// An item that shows a picture stretched over its rectangle.
class CWidgetItemImage : public CWidgetItem {
 public:
  void Draw(HDC dc) override;

  FCObjImage image;
};

}  // namespace widget_window
