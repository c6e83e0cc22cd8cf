#pragma once

#include <cstdint>
#include <string>

// The arithmetic of the main window's stored placement on plain 32-bit
// rectangles, laid out as the platform's RECT; window_placement.h gives it
// on RECT itself.
namespace placement_rect {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Four integers separated by "_" (empty pieces skipped); false for anything
// else, "MAX" included.
bool ParseRect(const std::wstring& text, Rect* rect);

Rect DefaultRect(const Rect& work_area);
Rect FitToWorkArea(const Rect& rect, const Rect& work_area);

struct Decision {
  bool maximize = true;
  Rect rect;  // where to put the window when not maximised
};

Decision Decide(const std::wstring& text, const Rect& work_area, int min_width, int min_height);

}  // namespace placement_rect
