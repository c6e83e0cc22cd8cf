#include "app/crash_handler.h"

#include <shellapi.h>

#include <cstring>
#include <cwchar>

#include "basic_lib/win32_system.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "framework/handle.h"
#include "integration/companion_entry_points.h"

namespace {

constexpr size_t kSavedBytes = 5;

// Makes SetUnhandledExceptionFilter return 0 without doing anything, so
// modules loaded later cannot take the filter's place.
#if defined(_WIN64)
constexpr unsigned char kFilterPatch[] = {0x33, 0xC0, 0xC3};  // xor eax,eax; ret
#else
constexpr unsigned char kFilterPatch[] = {0x33, 0xC0, 0xC2, 0x04, 0x00};  // xor eax,eax; ret 4
#endif

// Set once during start-up, read by the filter.
struct CrashReportInfo {
  std::wstring source;
  std::wstring version;
  int report = 0;
  std::wstring program_folder;
};

CrashReportInfo& ReportInfo() {
  static CrashReportInfo info;
  return info;
}

unsigned char g_saved_filter_bytes[kSavedBytes] = {};

bool CanOpenForReading(const std::wstring& path) {
  return CHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr))
      .IsValid();
}

void PatchFilterSetter() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  void* setter =
      kernel ? reinterpret_cast<void*>(GetProcAddress(kernel, "SetUnhandledExceptionFilter"))
             : nullptr;
  if (!setter) {
    return;
  }
  SIZE_T read = 0;
  if (!ReadProcessMemory(GetCurrentProcess(), setter, g_saved_filter_bytes, kSavedBytes, &read) ||
      read != kSavedBytes) {
    return;
  }
  DWORD old_protection = 0;
  if (!VirtualProtect(setter, sizeof(kFilterPatch), PAGE_EXECUTE_READWRITE, &old_protection)) {
    return;
  }
  std::memcpy(setter, kFilterPatch, sizeof(kFilterPatch));
  VirtualProtect(setter, sizeof(kFilterPatch), old_protection, &old_protection);
  FlushInstructionCache(GetCurrentProcess(), setter, sizeof(kFilterPatch));
}

}  // namespace

std::wstring FindCrashUploader(const std::wstring& program_folder) {
  const std::wstring parent = win_util::ParentFolder(program_folder);
  const std::wstring candidates[] = {program_folder, program_folder + L"Utils\\", parent,
                                     parent + L"Utils\\", win_util::ParentFolder(parent)};
  std::wstring path;
  for (const std::wstring& folder : candidates) {
    path = folder + kCrashUploaderName;
    if (CanOpenForReading(path)) {
      break;
    }
  }
  return path;
}

void InstallCrashHandler() {
  CrashReportInfo& info = ReportInfo();
  info.program_folder = CAppConfig::GetProgramFolder();
  SetUnhandledExceptionFilter(CrashFilter);
  PatchFilterSetter();

  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  info.source = L"lumoramain";
  info.report = 0;
  info.version = win32_system::GetFileVersionText(program, kMaxVersionResourceBytes);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers) {
  const CrashReportInfo& info = ReportInfo();
  const std::wstring uploader = FindCrashUploader(
      info.program_folder.empty() ? CAppConfig::GetProgramFolder() : info.program_folder);
  wchar_t parameters[512];
  swprintf(
      parameters, 512, L"--pep=%llu --pid=%d --tid=%d --src=%ls --ver=%ls --rep=%d",
      static_cast<unsigned long long>(static_cast<long long>(reinterpret_cast<LONG_PTR>(pointers))),
      static_cast<int>(GetCurrentProcessId()), static_cast<int>(GetCurrentThreadId()),
      info.source.c_str(), info.version.c_str(), info.report);

  SHELLEXECUTEINFOW execute = {};
  execute.cbSize = sizeof(execute);
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  execute.lpFile = uploader.c_str();
  execute.lpParameters = parameters;
  execute.nShow = SW_HIDE;
  if (ShellExecuteExW(&execute)) {
    const CHandle process(execute.hProcess);
    if (process) {
      WaitForSingleObject(process.get(), INFINITE);
    }
  }
  return EXCEPTION_EXECUTE_HANDLER;
}
