#include "popup_dialog/work_area.h"

#include <algorithm>

namespace work_area {

POINT KeptInside(POINT top_left, SIZE size, const RECT& area) {
  top_left.x = std::max(std::min(top_left.x, area.right - size.cx), area.left);
  top_left.y = std::max(std::min(top_left.y, area.bottom - size.cy), area.top);
  return top_left;
}

POINT KeptOnScreen(POINT top_left, SIZE size, const RECT& anchor) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromRect(&anchor, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return top_left;
  }
  return KeptInside(top_left, size, monitor.rcWork);
}

}  // namespace work_area
