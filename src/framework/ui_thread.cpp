#include "framework/ui_thread.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<DWORD> g_ui_thread{0};

}  // namespace

void SetUiThread() { g_ui_thread = GetCurrentThreadId(); }

bool IsUiThread() {
  const DWORD ui_thread = g_ui_thread;
  return ui_thread == 0 || ui_thread == GetCurrentThreadId();
}
