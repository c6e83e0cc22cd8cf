#pragma once

#include <windows.h>

#include <string>

// The main window's placement as the settings file keeps it: "MAX", or the
// window rectangle in screen coordinates as "left_top_right_bottom".
namespace window_placement {

// The smallest window the viewer opens unmaximised.
constexpr int kMinWidth = 700;
constexpr int kMinHeight = 500;

std::wstring FormatRect(const RECT& rect);

// Four integers separated by "_" (empty pieces skipped); false for anything
// else, "MAX" included.
bool ParseRect(const std::wstring& text, RECT* rect);

// The work area less a sixth of its width on the left and right and a tenth
// of its height at the top and bottom.
RECT DefaultRect(const RECT& work_area);

// Keeps the top-left corner, cuts the size to the work area's and then
// shifts the rectangle back inside it.
RECT FitToWorkArea(const RECT& rect, const RECT& work_area);

struct Decision {
  bool maximize = true;
  RECT rect = {};  // where to put the window when not maximised
};

// What a start does with a stored text: maximise for "MAX", for anything
// that is not four numbers, and for a fitted rectangle smaller than
// kMinWidth by kMinHeight; otherwise place the window at the fitted rectangle.
Decision Decide(const std::wstring& text, const RECT& work_area);

}  // namespace window_placement
