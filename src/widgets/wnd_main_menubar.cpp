#include "widgets/wnd_main_menubar.h"

#include "main_messages.h"
#include "config/app_config.h"
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
    if (swallow_click_) {
      swallow_click_ = false;
      return;
    }
    PostMessageW(GetParent(hwnd_), WM_COMMAND, kMenuCommand, 0);
  }
}

void WndMainMenubar::DrawBackground(HDC dc, const RECT& paint_rect) {
  CBrush brush;
  brush.CreateSolidBrush(RGB(39, 39, 39));
  FillRect(dc, &paint_rect, brush);
}

void WndMainMenubar::SetButtonActive(bool active) {
  if (CWidgetItem* button = menu_button()) {
    button->SetFlag(wnd_main_toolbar::kActive, active);
  }
  ::InvalidateRect(hwnd_, nullptr, FALSE);
  ::UpdateWindow(hwnd_);
}

void WndMainMenubar::DestroyMenu() {
  std::unique_ptr<CMainMenu> menu = std::move(menu_);
  if (menu && ::IsWindow(menu->GetHWND())) {
    ::DestroyWindow(menu->GetHWND());
  }
}

void WndMainMenubar::OpenMenu() {
  SetButtonActive(true);
  DestroyMenu();
  swallow_click_ = false;
  const HWND main_window = ::GetParent(hwnd_);
  CMainMenu::Checks checks;
  const CAppConfig* config = CAppConfig::GetInstance();
  checks.default_viewer = config->set_default_viewer != 0;
  checks.topmost = (GetWindowLongW(main_window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  checks.wheel_action = config->mouse_wheel_action;
  RECT bar = {};
  ::GetWindowRect(hwnd_, &bar);
  menu_ = std::make_unique<CMainMenu>(hwnd_, checks);
  if (!menu_->Open(main_window, bar)) {
    menu_.reset();
    SetButtonActive(false);
  }
}

void WndMainMenubar::OnMenuResult(WPARAM command) {
  if (!menu_) {
    return;
  }
  if (static_cast<int>(command) != -1) {
    PostMessageW(GetParent(hwnd_), WM_COMMAND, LOWORD(command), 0);
  } else if (CWidgetItem* button = menu_button()) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    ::ScreenToClient(hwnd_, &cursor);
    swallow_click_ =
        (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0 && PtInRect(&button->rect, cursor);
  }
  SetButtonActive(false);
  DestroyMenu();
}

LRESULT WndMainMenubar::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == UM_MENU_RESULT) {
    OnMenuResult(wparam);
    return 0;
  }
  if (message == WM_DESTROY) {
    DestroyMenu();
  }
  return CWidgetWindow::WindowProc(message, wparam, lparam);
}
