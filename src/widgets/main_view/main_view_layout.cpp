#include "widgets/main_view/main_view_layout.h"

#include "widgets/main_view/main_view_items.h"

namespace main_view {

void CMainViewLayout::Layout(HWND window, std::deque<CWidgetItem*>& items) {
  RECT client = {};
  GetClientRect(window, &client);
  LayoutIn(client, items);
}

void CMainViewLayout::LayoutIn(const RECT& r, std::deque<CWidgetItem*>& items) const {
  const int height = r.bottom - r.top;
  const int width = r.right - r.left;
  RECT slogan = {};
  for (CWidgetItem* item : items) {
    if (item->id == kWelcomeSlogan) {
      const SIZE size = static_cast<CWelcomeSlogonItem*>(item)->PictureSize();
      const int left = r.left + (width - size.cx) / 2;
      const int top = r.top + (height - size.cy - 52) / 2;
      slogan = {left, top, left + size.cx, top + size.cy};
      item->rect = slogan;
    }
  }
  for (CWidgetItem* item : items) {
    switch (item->id) {
      case kPreviousArrow:
        item->rect = {r.left, r.top, r.left + arrow_width_, r.bottom};
        break;
      case kNextArrow:
        item->rect = {r.right - arrow_width_, r.top, r.right, r.bottom};
        break;
      case kLoadError:
      case kLoading:
        item->rect = r;
        break;
      case kWelcomeOpen: {
        const SIZE size = static_cast<CWelcomeOpenItem*>(item)->ButtonSize();
        const int left = slogan.left + 7;
        const int top = slogan.bottom + 87;
        item->rect = {left, top, left + size.cx, top + size.cy};
        break;
      }
      case kFileMissingTip:
      case kSavingTip: {
        const int left = r.left + (width - 180) / 2;
        const int top = r.top + (height - 50) / 2;
        item->rect = {left, top, left + 180, top + 50};
        break;
      }
      default:
        break;
    }
  }
}

}  // namespace main_view
