#include "widgets/widget_item.h"

#include "framework/tooltip_ctrl.h"

void CWidgetItem::RegisterTool(CToolTipCtrl& tooltip, HWND window, UINT_PTR tool_id) {
  if (!tooltip_text.empty()) {
    tooltip.AddTool(window, tooltip_text.c_str(), rect, tool_id);
  }
}

namespace widget_window {

void CWidgetItemImage::Draw(HDC dc) { image.DrawTo(dc, {0, 0, Width(), Height()}); }

}  // namespace widget_window
