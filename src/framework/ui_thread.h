#pragma once

#include <cassert>

// The user-interface thread, remembered at start-up. Until it is set (test
// programs), every thread counts as the user-interface thread.
void SetUiThread();
bool IsUiThread();

// Where only the user-interface thread may act; checked in debug builds.
#define ASSERT_UI_THREAD() assert(IsUiThread())
