#pragma once

#include <windows.h>

// Command 21001 (Ctrl+S): asks for a name with the save dialog, proposing
// MakeDefaultSaveName, and saves the current picture there with the
// configured JPEG quality. Does nothing without a decoded picture. True when
// a file was saved.
bool SaveAsCommand(HWND owner);
