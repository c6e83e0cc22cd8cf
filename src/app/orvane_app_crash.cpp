// The top-level exception filter: starts the crash uploader, which writes a
// dump of the crashed thread, and lets the process end.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "app/orvane_app.h"
#include "config/app_config.h"
#include "framework/handle.h"
#include "integration/companion_entry_points.h"

namespace {

constexpr DWORD kMaxVersionResourceBytes = 16383;
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

std::wstring ParentOf(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') {
    folder.pop_back();
  }
  const size_t slash = folder.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
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

std::wstring COrvaneApp::FileVersionText(const std::wstring& module_path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(module_path.c_str(), &ignored);
  if (size == 0 || size > kMaxVersionResourceBytes) {
    return std::wstring();
  }
  std::vector<unsigned char> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (!GetFileVersionInfoW(module_path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size) ||
      !fixed || fixed_size < sizeof(VS_FIXEDFILEINFO)) {
    return std::wstring();
  }
  wchar_t text[64];
  swprintf(text, 64, L"%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
           HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  return text;
}

std::wstring COrvaneApp::FindCrashUploader(const std::wstring& program_folder) {
  const std::wstring parent = ParentOf(program_folder);
  const std::wstring candidates[] = {program_folder, program_folder + L"Utils\\", parent,
                                     parent + L"Utils\\", ParentOf(parent)};
  std::wstring path;
  for (const std::wstring& folder : candidates) {
    path = folder + kCrashUploaderName;
    if (CanOpenForReading(path)) {
      break;
    }
  }
  return path;
}

void COrvaneApp::InstallCrashHandler() {
  CrashReportInfo& info = ReportInfo();
  info.program_folder = CAppConfig::GetProgramFolder();
  SetUnhandledExceptionFilter(CrashFilter);
  PatchFilterSetter();

  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  info.source = L"lumoramain";
  info.report = 0;
  info.version = FileVersionText(program);
}

LONG WINAPI COrvaneApp::CrashFilter(EXCEPTION_POINTERS* pointers) {
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
