#pragma once

#include <windows.h>

#include <string>

namespace companion {

// The version the system really runs, whatever the calling program's
// manifest declares (GetVersionEx reports 6.2 to undeclared programs).
struct OsVersion {
  DWORD major = 0;
  DWORD minor = 0;
  DWORD build = 0;
  WORD service_pack_major = 0;
  std::wstring service_pack;  // e.g. "Service Pack 1", may be empty

  bool AtLeast(DWORD want_major, DWORD want_minor) const {
    return major > want_major || (major == want_major && minor >= want_minor);
  }
  bool IsWindows8OrLater() const { return AtLeast(6, 2); }
  bool IsWindows10OrLater() const { return AtLeast(10, 0); }
};

OsVersion GetOsVersionInfo();

// A readable description, e.g. "Windows 10 Pro 64-bit 10.0.19045".
std::wstring DescribeOsVersion();

}  // namespace companion
