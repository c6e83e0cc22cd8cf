// Crashes on purpose. Its top-level exception filter does what the viewer's
// does: starts the crash uploader of the program folder with the crash
// details, waits for it to end, and lets the process end.
// Usage: crash_on_purpose <file to receive "pid tid">
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "support/test_paths.h"

namespace {

constexpr DWORD kCrashCode = 0xE0C0FFEE;
constexpr ULONG_PTR kCrashDetail = 0x1234;

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
  const std::wstring uploader = test_support::DistFolder() + L"\\DedaDuze.exe";
  wchar_t parameters[512];
  swprintf(
      parameters, 512, L"--pep=%llu --pid=%d --tid=%d --src=%ls --ver=%ls --rep=%d",
      static_cast<unsigned long long>(static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(pointers))),
      static_cast<int>(GetCurrentProcessId()), static_cast<int>(GetCurrentThreadId()), L"crashtest",
      L"1.2.3.4", 0);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpFile = uploader.c_str();
  info.lpParameters = parameters;
  info.nShow = SW_HIDE;
  if (ShellExecuteExW(&info) && info.hProcess) {
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hProcess);
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    return 2;
  }
  FILE* ids = _wfopen(argv[1], L"w");
  if (!ids) {
    return 3;
  }
  fprintf(ids, "%lu %lu", GetCurrentProcessId(), GetCurrentThreadId());
  fclose(ids);
  SetUnhandledExceptionFilter(CrashFilter);
  const ULONG_PTR detail[] = {kCrashDetail};
  RaiseException(kCrashCode, EXCEPTION_NONCONTINUABLE, 1, detail);
  return 0;
}
