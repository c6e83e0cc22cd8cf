#pragma once

#include <windows.h>

// The real version of the running system (not the one an application
// manifest would be told), for the behaviour that differs from Windows 8 and
// from Windows 10 on.
class CWindowsVersion {
 public:
  static bool IsWindows8OrLater() { return IsAtLeast(6, 2); }
  static bool IsWindows10OrLater() { return IsAtLeast(10, 0); }
  static bool IsAtLeast(DWORD major, DWORD minor);

  // Lets tests run both branches; major 0 goes back to the real version.
  static void OverrideForTesting(DWORD major, DWORD minor);
};
