#pragma once

#include <windows.h>

// Private messages of the main window, sent by its widgets, popups, worker
// completions and other processes, and by the tests that drive it.
// Title refresh (the title bar): wParam the title text's width, lParam its height.
constexpr UINT UM_TITLE_WIDTH = 0x5220;
constexpr UINT UM_REFRESH_ALL = 0x81FC;
constexpr UINT UM_STARTUP_OPEN = 0x81FE;
// wParam: the path handed over by another viewer.
constexpr UINT UM_OPEN_HANDED_OVER = 0x81FF;
constexpr UINT UM_DEFAULT_VIEWER_PROMPT = 0x8200;
// lParam: the settings dialog's quick-index state.
constexpr UINT UM_QUICK_INDEX_CHANGED = 0x8201;
constexpr UINT UM_DEFAULT_VIEWER_STATE = 0x8202;
// wParam: the command chosen in the main menu.
constexpr UINT UM_MAIN_MENU_CHOICE = 0x8203;
constexpr UINT UM_FEEDBACK_CLOSED = 0x8204;
// wParam: the picture was saved; lParam: over the shown file.
constexpr UINT UM_RESIZE_DONE = 0x8205;
constexpr UINT UM_SETTINGS_PAGE4 = 0x8206;

// From a menu to its owner: wParam the chosen command, -1 when dismissed.
constexpr UINT UM_MENU_RESULT = 33283;
