#include "widgets/wnd_main_logo.h"

#include "framework/gdi_objects.h"
#include "widgets/resource_picture.h"

namespace {

// Gives every visible item the whole client rectangle.
class CSwitchLayout : public CWidgetLayout {
 public:
  void Layout(HWND window, std::deque<CWidgetItem*>& items) override {
    RECT client = {};
    GetClientRect(window, &client);
    for (CWidgetItem* item : items) {
      if (item->IsVisible()) {
        item->rect = client;
      }
    }
  }
};

widget_window::CWidgetItemImage* MakeLogoItem(int id, const wchar_t* file, bool visible) {
  auto* item = new widget_window::CWidgetItemImage();
  item->id = id;
  item->SetFlag(CWidgetItem::kVisible, visible);
  LoadResourcePicture(file, item->image);
  return item;
}

}  // namespace

WndMainLogo::WndMainLogo() {
  AddItem(MakeLogoItem(kFullItem, L"logo_desc.png", true));
  AddItem(MakeLogoItem(kMiniItem, L"logo-mini.png", false));
  SetLayout(new CSwitchLayout());
}

bool WndMainLogo::ShowsFullLogo() const { return FindItem(kFullItem)->IsVisible(); }

void WndMainLogo::Switch(bool picture_present) {
  FindItem(kFullItem)->SetFlag(CWidgetItem::kVisible, !picture_present);
  FindItem(kMiniItem)->SetFlag(CWidgetItem::kVisible, picture_present);
  if (picture_present) {
    MoveWindow(hwnd_, 11, 6, 27, 23, TRUE);
  } else {
    MoveWindow(hwnd_, 9, 6, 95, 23, TRUE);
  }
  Relayout();
}

void WndMainLogo::DrawBackground(HDC dc, const RECT& paint_rect) {
  // Light only at the size the window is created with, before the first
  // title refresh places it.
  const RECT client = GetClientRect();
  const bool creation_size = client.right == 94 && client.bottom == 24;
  CBrush brush;
  brush.CreateSolidBrush(creation_size ? RGB(248, 248, 248) : RGB(39, 39, 39));
  FillRect(dc, &paint_rect, brush);
}
