#include "shared/os_version.h"

#include <cwchar>

#include "basic_lib/win_util.h"
#include "shared/reg_key.h"

namespace companion {

namespace {

// Marketing names by version, for systems whose registry lacks a product name.
std::wstring NameOfVersion(const OsVersion& v) {
  if (v.major >= 10) {
    return v.build >= 22000 ? L"Windows 11" : L"Windows 10";
  }
  if (v.major == 6) {
    switch (v.minor) {
      case 0:
        return L"Windows Vista";
      case 1:
        return L"Windows 7";
      case 2:
        return L"Windows 8";
      case 3:
        return L"Windows 8.1";
      default:
        break;
    }
  }
  return L"Windows";
}

bool Is64BitSystem() {
#ifdef _WIN64
  return true;
#else
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto is_wow64 = win_util::GetProcAddressAs<IsWow64ProcessFn>(
      GetModuleHandleW(L"kernel32.dll"), "IsWow64Process");
  BOOL wow64 = FALSE;
  return is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace

OsVersion GetOsVersionInfo() {
  OsVersion result;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  auto rtl_get_version =
      win_util::GetProcAddressAs<RtlGetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (rtl_get_version && rtl_get_version(&info) == 0) {
    result.major = info.dwMajorVersion;
    result.minor = info.dwMinorVersion;
    result.build = info.dwBuildNumber;
    result.service_pack_major = info.wServicePackMajor;
    result.service_pack = info.szCSDVersion;
  }
  return result;
}

std::wstring DescribeOsVersion() {
  const OsVersion v = GetOsVersionInfo();
  std::wstring name;
  CRegKey key;
  if (key.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
               KEY_READ | KEY_WOW64_64KEY)) {
    key.GetString(L"ProductName", &name);
  }
  if (name.empty()) {
    name = NameOfVersion(v);
  } else if (v.build >= 22000 && name.find(L"Windows 10") != std::wstring::npos) {
    // Windows 11 still calls itself Windows 10 in the registry.
    name.replace(name.find(L"Windows 10"), 10, L"Windows 11");
  }
  wchar_t numbers[64];
  swprintf(numbers, 64, L"%lu.%lu.%lu", static_cast<unsigned long>(v.major),
           static_cast<unsigned long>(v.minor), static_cast<unsigned long>(v.build));
  std::wstring text = name;
  if (!v.service_pack.empty()) {
    text += L" " + v.service_pack;
  }
  text += Is64BitSystem() ? L" 64-bit " : L" 32-bit ";
  text += numbers;
  return text;
}

}  // namespace companion
