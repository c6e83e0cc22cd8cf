#pragma once

#include <memory>

#include "image/obj_image.h"
#include "popup_dialog/main_menu.h"
#include "widgets/ui_event.h"
#include "widgets/widget_window.h"

// The menu button of the title strip. A click posts command 20012 to the
// main window, which calls OpenMenu: the main menu opens against this window
// and reports its choice here (UM_MENU_RESULT); the choice goes on to the
// main window as its command. The button shows its active state while the
// menu is open.
class WndMainMenubar : public CWidgetWindow, public CUIEventObserver {
 public:
  WndMainMenubar();

  void OnUIEvent(const CUIEventParam&) override {}
  void OnItemClick(CWidgetItem* item) override;
  void DrawBackground(HDC dc, const RECT& paint_rect) override;

  CWidgetItem* menu_button() const { return FindItem(kMenuCommand); }
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

  // Command 20012: opens the main menu, replacing an open one.
  void OpenMenu();
  // The menu's result: the command to run, or -1 when it was dismissed.
  void OnMenuResult(WPARAM command);
  CMainMenu* main_menu() const { return menu_.get(); }

  static constexpr int kMenuCommand = 20012;

 private:
  void DestroyMenu();
  void SetButtonActive(bool active);

  std::shared_ptr<FCObjImage> sprite_;
  std::unique_ptr<CMainMenu> menu_;
  // The menu was dismissed by pressing the button itself: that press's
  // click only closes it.
  bool swallow_click_ = false;
};
