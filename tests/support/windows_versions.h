#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "basic_lib/windows_version.h"

namespace test_support {

// A Windows version whose rules the program follows: Windows 7 stands for
// the systems before 8 (no in-place metadata rewrite, no tag-based
// orientation), Windows 10 for 8 and later.
struct WindowsVersionCase {
  DWORD major;
  DWORD minor;
  const char* name;
};

inline constexpr WindowsVersionCase kWindowsVersions[] = {{6, 1, "Windows 7"},
                                                          {10, 0, "Windows 10"}};

// Runs test_case(version) once under each version above, with the version the
// program reads overridden and a trace naming it; the real version is back
// afterwards. A fatal failure under one version ends the loop.
template <class Case>
void ForEachWindowsVersion(Case test_case) {
  for (const WindowsVersionCase& version : kWindowsVersions) {
    SCOPED_TRACE(version.name);
    CWindowsVersion::OverrideForTesting(version.major, version.minor);
    test_case(version);
    if (::testing::Test::HasFatalFailure()) {
      break;
    }
  }
  CWindowsVersion::OverrideForTesting(0, 0);
}

}  // namespace test_support
