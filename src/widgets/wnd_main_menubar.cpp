#include "widgets/wnd_main_menubar.h"

#include "framework/gdi_objects.h"
#include "l10n/lang_string.h"
#include "widgets/resource_picture.h"
#include "widgets/toolbar_button2.h"

WndMainMenubar::WndMainMenubar() : sprite_(std::make_shared<FCObjImage>()) {
  LoadResourcePicture(L"wnd_menu.png", *sprite_);
  auto* button =
      new wnd_main_toolbar::CToolbarButton2(kMenuCommand, wnd_main_toolbar::kGroupCentre, sprite_);
  button->tooltip_text = GetLangStringById(L"TOOLBAR", 17);
  AddItem(button);
  SetLayout(new wnd_main_toolbar::CToolbarButtonLayout2());
}

void WndMainMenubar::OnItemClick(CWidgetItem* item) {
  if (item && item->id == kMenuCommand) {
    PostMessageW(GetParent(hwnd_), WM_COMMAND, kMenuCommand, 0);
  }
}

void WndMainMenubar::DrawBackground(HDC dc, const RECT& paint_rect) {
  CBrush brush;
  brush.CreateSolidBrush(RGB(39, 39, 39));
  FillRect(dc, &paint_rect, brush);
}
