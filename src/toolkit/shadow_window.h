#pragma once

#include "toolkit/skin_attributes.h"
#include "toolkit/window_wnd.h"

class CSkinImage;

// The drop shadow of a skinned window: a layered window just behind it,
// larger by the skin's "shadowsize" on each side, showing "shadowimage" as
// a nine-grid. It takes no input and never becomes active.
class CShadowWindow : public CWindowWnd {
 public:
  CShadowWindow(const CSkinImage& image, const skin_attr::CImageSpec& look, const RECT& size);

  // Creates the window for host (owned by the host's owner, so that it can
  // sit below the host).
  bool Attach(HWND host);
  // Moves, resizes and shows or hides the shadow as the host is now;
  // show_state 1 or 0 overrides the host's visibility (it is about to
  // change).
  void Follow(int show_state = -1);

  const wchar_t* GetWindowClassName() const override { return L"LumoraShadowWnd"; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Render(int width, int height);

  const CSkinImage& image_;
  skin_attr::CImageSpec spec_;
  RECT size_;
  HWND host_ = nullptr;
  SIZE rendered_ = {};
};
