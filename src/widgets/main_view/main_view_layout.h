#pragma once

#include "widgets/widget_layout.h"

namespace main_view {

// Places the picture view's items: arrows at the edges, the welcome group
// and tip boxes centred, the loading and error items over everything.
class CMainViewLayout : public CWidgetLayout {
 public:
  explicit CMainViewLayout(int arrow_width) : arrow_width_(arrow_width) {}
  void Layout(HWND window, std::deque<CWidgetItem*>& items) override;
  void LayoutIn(const RECT& client, std::deque<CWidgetItem*>& items) const;

 private:
  int arrow_width_;
};

}  // namespace main_view
