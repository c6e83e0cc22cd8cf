#pragma once

#include <cstdint>

// Enter and leave notifications for a window that tracks the mouse.
class FCTrackMouseHover {
 public:
  virtual ~FCTrackMouseHover() = default;
  virtual void OnMouseEnter() {}
  virtual void OnMouseLeave() {}

  int32_t tracking = 0;
};
