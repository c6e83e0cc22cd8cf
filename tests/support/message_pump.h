#pragma once

#include <windows.h>

namespace test_support {

// Pumps this thread's messages until done() holds or timeout_ms passes;
// false on timeout. Header-only, for test programs of every area.
template <class Done>
bool PumpUntil(Done done, DWORD timeout_ms = 20000, DWORD slice_ms = 5) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms) {
      return false;
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, slice_ms, QS_ALLINPUT);
  }
  return true;
}

// Pumps messages for a while, for things that must not happen.
inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace test_support
