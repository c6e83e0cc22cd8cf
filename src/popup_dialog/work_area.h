#pragma once

#include <windows.h>

// Where popups that open beside a toolbar button may go.
namespace work_area {

// The top-left moved so that a window of size stays inside area, as far as
// it fits (a window larger than area keeps its left and top edges inside).
POINT KeptInside(POINT top_left, SIZE size, const RECT& area);

// The same for the work area of the screen nearest to anchor (screen
// coordinates); top_left unchanged when no screen answers.
POINT KeptOnScreen(POINT top_left, SIZE size, const RECT& anchor);

}  // namespace work_area
