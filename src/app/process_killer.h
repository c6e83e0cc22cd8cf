#pragma once

#include <string>

// Ends every process whose program file is path (compared ignoring case),
// with the debug privilege where this process may take it. Ignored for an
// empty path or one longer than MAX_PATH.
void KillProcessesByPath(const std::wstring& path);
