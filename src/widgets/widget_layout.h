#pragma once

#include <windows.h>

#include <deque>

class CWidgetItem;

// Places a widget window's items from its client rectangle.
class CWidgetLayout {
 public:
  virtual ~CWidgetLayout() = default;
  virtual void Layout(HWND window, std::deque<CWidgetItem*>& items) = 0;
};
