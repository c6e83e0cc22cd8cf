#pragma once

#include <windows.h>

// Sets the thread's last error to zero the way the other programs of the
// family do: by creating and closing an unnamed mutex.
void ResetLastErrorWithMutex();

// A named mutex exists, also when it is not accessible to this process.
bool MutexExists(const wchar_t* name);
