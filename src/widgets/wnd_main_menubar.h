#pragma once

#include <memory>

#include "image/obj_image.h"
#include "widgets/ui_event.h"
#include "widgets/widget_window.h"

// The menu button of the title strip. A click posts command 20012 to the
// main window, which opens the main menu against this window.
class WndMainMenubar : public CWidgetWindow, public CUIEventObserver {
 public:
  WndMainMenubar();

  void OnUIEvent(const CUIEventParam&) override {}
  void OnItemClick(CWidgetItem* item) override;
  void DrawBackground(HDC dc, const RECT& paint_rect) override;

  CWidgetItem* menu_button() const { return FindItem(kMenuCommand); }

  static constexpr int kMenuCommand = 20012;

 private:
  std::shared_ptr<FCObjImage> sprite_;
};
