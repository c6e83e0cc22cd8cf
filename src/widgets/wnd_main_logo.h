#pragma once

#include "widgets/widget_window.h"

// The logo at the left of the title strip: the full logo while no picture is
// open, the small one beside a picture's title.
class WndMainLogo : public CWidgetWindow {
 public:
  WndMainLogo();

  // Moves and sizes the window and shows the matching logo.
  void Switch(bool picture_present);
  bool ShowsFullLogo() const;

  void DrawBackground(HDC dc, const RECT& paint_rect) override;

  static constexpr int kFullItem = 0;
  static constexpr int kMiniItem = 1;
};
