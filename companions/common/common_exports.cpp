// Entry points of common.dll, the statistics and utility library.
#include <windows.h>

#include <new>
#include <string>
#include <type_traits>

#include "common/plib_wrapper_impl.h"
#include "common/stat_recorder.h"
#include "integration/companion_entry_points.h"
#include "shared/os_version.h"

extern "C" {

__declspec(dllexport) void __stdcall StartStat() { CStatRecorder::Instance().Start(); }

__declspec(dllexport) int __stdcall SendStatUrl(const wchar_t* category, const wchar_t* name) {
  if (!category || !name) {
    return 0;
  }
  return CStatRecorder::Instance().Record(category, name) ? 1 : 0;
}

__declspec(dllexport) void __stdcall WaitStatComplete(int timeout_ms) {
  CStatRecorder::Instance().Complete(timeout_ms > 0 ? static_cast<DWORD>(timeout_ms) : 0);
}

// The text lives as long as the module.
__declspec(dllexport) const wchar_t* __stdcall GetOsVersion() {
  static const std::wstring description = companion::DescribeOsVersion();
  return description.c_str();
}

__declspec(dllexport) IPLibWrapper* __stdcall CreatePLibWrapper() {
  return new (std::nothrow) CPLibWrapper();
}

}  // extern "C"

static_assert(std::is_same<decltype(&StartStat), StartStatFn>::value, "StartStat");
static_assert(std::is_same<decltype(&SendStatUrl), SendStatUrlFn>::value, "SendStatUrl");
static_assert(std::is_same<decltype(&WaitStatComplete), WaitStatCompleteFn>::value,
              "WaitStatComplete");
static_assert(std::is_same<decltype(&GetOsVersion), GetOsVersionFn>::value, "GetOsVersion");
static_assert(std::is_same<decltype(&CreatePLibWrapper), CreatePLibWrapperFn>::value,
              "CreatePLibWrapper");
