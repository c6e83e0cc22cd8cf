#pragma once

#include <windows.h>

#include <deque>
#include <memory>

#include "framework/gdi_objects.h"
#include "framework/tooltip_ctrl.h"
#include "framework/wnd.h"
#include "widgets/track_mouse_hover.h"
#include "widgets/widget_item.h"
#include "widgets/widget_layout.h"

// A custom-drawn child window: a list of items placed by a layout, painted
// double-buffered, with hot tracking, a capture loop while the left button is
// held, and item tooltips.
class CWidgetWindow : public CWnd, public FCTrackMouseHover {
 public:
  CWidgetWindow() = default;
  ~CWidgetWindow() override;

  // Creates the window as a visible child of parent.
  using CWnd::Create;
  bool Create(HWND parent, UINT id, const RECT& rect,
              DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP);

  // -1 appends; 0 to the item count inserts there; any other position
  // deletes the item. The window owns the item.
  void AddItem(CWidgetItem* item, int position = -1);
  void RemoveItem(int32_t id);
  CWidgetItem* FindItem(int32_t id) const;
  // The first visible and enabled item containing the point.
  CWidgetItem* HitTest(int x, int y) const;

  virtual void Relayout();
  virtual void CreateToolTip();
  virtual void DrawBackground(HDC dc, const RECT& paint_rect);
  // Non-zero cancels the capture loop.
  virtual int32_t OnItemPress(CWidgetItem* item);
  virtual void OnButtonUp(CWidgetItem* pressed, int x, int y, bool released_normally);
  virtual void OnItemClick(CWidgetItem* item);
  virtual void OnLButtonDown(int x, int y);
  virtual void OnLButtonDblClk(int x, int y);

  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  // Lays the items out again; the default processing follows.
  bool OnSize(UINT type, int width, int height) override;
  bool OnPaint() override;
  void OnMouseLeave() override;

  const std::deque<CWidgetItem*>& items() const { return items_; }
  CToolTipCtrl& tooltip() { return tooltip_; }

  // The 9-point message font of the system, made once per process.
  static HFONT DefaultUIFont();

 protected:
  void SetLayout(CWidgetLayout* layout) { layout_.reset(layout); }
  void HotTrack(int x, int y);
  void BufferedPaint();
  // Whether item is still one of this window's (a click may remove it).
  bool FindItemPointer(const CWidgetItem* item) const;

  CToolTipCtrl tooltip_;
  std::unique_ptr<CWidgetLayout> layout_;
  std::deque<CWidgetItem*> items_;
  CFont font_;
};
