#include "basic_lib/windows_version.h"

#include <atomic>
#include <mutex>

#include "basic_lib/win_util.h"

namespace {

std::atomic<DWORD> g_override{0};

DWORD RealVersion() {
  static std::once_flag once;
  static DWORD version = 0;
  std::call_once(once, [] {
    // RtlGetVersion reports the true version whatever the manifest says.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    const auto rtl_get_version = win_util::GetProcAddressAs<RtlGetVersionFn>(
        GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (rtl_get_version && rtl_get_version(&info) == 0) {
      version = static_cast<DWORD>(MAKELONG(info.dwMinorVersion, info.dwMajorVersion));
    }
  });
  return version;
}

}  // namespace

bool CWindowsVersion::IsAtLeast(DWORD major, DWORD minor) {
  const DWORD overridden = g_override.load();
  const DWORD version = overridden ? overridden : RealVersion();
  return version >= static_cast<DWORD>(MAKELONG(minor, major));
}

void CWindowsVersion::OverrideForTesting(DWORD major, DWORD minor) {
  g_override.store(major ? static_cast<DWORD>(MAKELONG(minor, major)) : 0);
}
