#pragma once

#include <windows.h>

#include <deque>
#include <memory>

#include "image/obj_image.h"
#include "widgets/widget_item.h"
#include "widgets/widget_layout.h"

namespace wnd_main_toolbar {

// Layout groups kept in CWidgetItem::style, and the state bit the owner sets
// while a button's popup is open.
enum ButtonGroup : int32_t { kGroupLeft = 1, kGroupCentre = 2, kGroupRight = 4 };
constexpr int32_t kActive = 16;

// A 30 by 30 button of the title strip drawn from a row of sprite cells:
// column 3 disabled, 2 pressed or active, 1 hovered, else its own column.
class CToolbarButton2 : public CWidgetItem {
 public:
  CToolbarButton2(int32_t command_id, int32_t group, std::shared_ptr<FCObjImage> sprite,
                  int sprite_column = 0);
  void Draw(HDC dc) override;
  int SpriteColumnToDraw() const;

  static constexpr int kCell = 30;

 private:
  std::shared_ptr<FCObjImage> sprite_;
  int sprite_column_;
};

// Places cell-sized buttons at top in their groups: the left group from x 10,
// the right group ending 10 pixels from the right edge, the centre group
// centred. move_centre, when given, moves the centre cursor before the k-th
// button walked (k from 1), whatever that button's group.
void PlaceInGroups(const RECT& client, std::deque<CWidgetItem*>& items, int cell, int top,
                   void (*move_centre)(int k, int* centre_x) = nullptr);

// Places 30 by 30 buttons at top 0: the left group from x 10, the right group
// ending 10 pixels from the right edge, the rest centred.
class CToolbarButtonLayout2 : public CWidgetLayout {
 public:
  void Layout(HWND window, std::deque<CWidgetItem*>& items) override;
  static void PlaceButtons(const RECT& client, std::deque<CWidgetItem*>& items);
};

}  // namespace wnd_main_toolbar
