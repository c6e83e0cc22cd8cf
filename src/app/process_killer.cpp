#include "app/process_killer.h"

#include <windows.h>
#include <psapi.h>

#include "framework/handle.h"

namespace {

constexpr DWORD kProcessIdBufferBytes = 2048;

std::wstring UpperCase(std::wstring text) {
  CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

void EnableDebugPrivilege() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
    return;
  }
  const CHandle token(opened);
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &privileges.Privileges[0].Luid)) {
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
  }
}

std::wstring ProcessImagePath(DWORD process_id) {
  const CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
  if (!process) {
    return std::wstring();
  }
  wchar_t path[MAX_PATH * 2] = {};
  DWORD length = MAX_PATH * 2;
  std::wstring result;
  if (QueryFullProcessImageNameW(process.get(), 0, path, &length)) {
    result.assign(path, length);
  }
  return result;
}

}  // namespace

void KillProcessesByPath(const std::wstring& path) {
  if (path.empty() || path.size() > MAX_PATH) {
    return;
  }
  EnableDebugPrivilege();
  DWORD ids[kProcessIdBufferBytes / sizeof(DWORD)] = {};
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof(ids), &bytes)) {
    return;
  }
  const std::wstring wanted = UpperCase(path);
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
    if (ids[i] == 0 || UpperCase(ProcessImagePath(ids[i])) != wanted) {
      continue;
    }
    if (const CHandle process{OpenProcess(PROCESS_TERMINATE, FALSE, ids[i])}) {
      TerminateProcess(process.get(), 0);
    }
  }
}
