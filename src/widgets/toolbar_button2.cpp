#include "widgets/toolbar_button2.h"

namespace wnd_main_toolbar {

CToolbarButton2::CToolbarButton2(int32_t command_id, int32_t group,
                                 std::shared_ptr<FCObjImage> sprite, int sprite_column)
    : sprite_(std::move(sprite)), sprite_column_(sprite_column) {
  id = command_id;
  style = group;
}

int CToolbarButton2::SpriteColumnToDraw() const {
  if (!IsEnabled()) {
    return 3;
  }
  if (flags & (kPressed | kActive)) {
    return 2;
  }
  if (IsHot()) {
    return 1;
  }
  return sprite_column_;
}

void CToolbarButton2::Draw(HDC dc) {
  if (!sprite_ || !sprite_->IsValid()) {
    return;
  }
  const int x = SpriteColumnToDraw() * kCell;
  RECT source = {x, 0, x + kCell, kCell};
  sprite_->DrawTo(dc, {0, 0, kCell, kCell}, &source);
}

void CToolbarButtonLayout2::Layout(HWND window, std::deque<CWidgetItem*>& items) {
  RECT client = {};
  GetClientRect(window, &client);
  PlaceButtons(client, items);
}

void PlaceInGroups(const RECT& client, std::deque<CWidgetItem*>& items, int cell, int top,
                   void (*move_centre)(int k, int* centre_x)) {
  int centre_count = 0;
  int right_count = 0;
  for (const CWidgetItem* item : items) {
    centre_count += (item->style & kGroupCentre) ? 1 : 0;
    right_count += (item->style & kGroupRight) ? 1 : 0;
  }
  int left_x = 10;
  int right_x = client.right - cell * right_count - 10;
  int centre_x = (client.right - cell * centre_count - client.left) / 2;
  int k = 1;
  for (CWidgetItem* item : items) {
    if (move_centre) {
      move_centre(k, &centre_x);
    }
    ++k;
    int* cursor = (item->style & kGroupLeft)    ? &left_x
                  : (item->style & kGroupRight) ? &right_x
                                                : &centre_x;
    item->rect = {*cursor, top, *cursor + cell, top + cell};
    *cursor += cell;
  }
}

void CToolbarButtonLayout2::PlaceButtons(const RECT& client, std::deque<CWidgetItem*>& items) {
  PlaceInGroups(client, items, CToolbarButton2::kCell, 0);
}

}  // namespace wnd_main_toolbar
