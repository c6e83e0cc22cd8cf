// The application's dealings with the system: named mutexes, the tray
// program, the data folders and other processes.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "app/ipc/channel_names.h"
#include "app/ipc/ipc_message_mgr.h"
#include "app/orvane_app.h"
#include "app/start_decision.h"
#include "config/app_config.h"
#include "framework/handle.h"
#include "integration/companion_entry_points.h"
#include "log/my_log.h"

namespace {

constexpr DWORD kExitMutexWaitMs = 10000;
constexpr DWORD kProcessIdBufferBytes = 2048;
constexpr size_t kMaxUpdateStateChars = 260;

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

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

std::wstring COrvaneApp::TempFolder() { return CAppConfig::GetDataFolder() + L"temp\\"; }

std::wstring COrvaneApp::CrashFolder() { return TempFolder() + L"crash\\"; }

std::wstring COrvaneApp::PrintScratchFile() { return TempFolder() + L"tempprint.jpg"; }

std::wstring COrvaneApp::TrayProgramPath() {
  return CAppConfig::GetProgramFolder() + kTrayProgramName;
}

std::wstring COrvaneApp::UpdateStateFile() {
  return CAppConfig::GetProgramFolder() + L"config.ini";
}

bool COrvaneApp::MutexExists(const wchar_t* name) {
  // Creating and closing an unnamed mutex leaves the last error at zero.
  CHandle(CreateMutexW(nullptr, FALSE, nullptr));
  const CHandle mutex(OpenMutexW(MUTEX_MODIFY_STATE, FALSE, name));
  const DWORD error = GetLastError();
  if (!mutex && error != ERROR_FILE_NOT_FOUND && error != ERROR_ACCESS_DENIED) {
    return false;
  }
  return error != ERROR_FILE_NOT_FOUND;
}

bool COrvaneApp::IsUpdatePending() { return IsUpdatePendingIn(UpdateStateFile()); }

bool COrvaneApp::IsUpdatePendingIn(const std::wstring& state_file) {
  if (!Exists(state_file)) {
    return false;
  }
  wchar_t state[kMaxUpdateStateChars + 1] = {};
  GetPrivateProfileStringW(L"update", L"state", L"", state, kMaxUpdateStateChars + 1,
                           state_file.c_str());
  return std::wstring(state) == L"glimtUpdate" && !MutexExists(kUpdaterMutex);
}

bool COrvaneApp::TrayProgramRuns() {
  return MutexExists(kTrayMutex) || MutexExists(kTrayUpgradeMutex);
}

bool COrvaneApp::StartTrayProgram(const std::wstring& parameters) {
  const std::wstring tray = TrayProgramPath();
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", tray.c_str(), parameters.c_str(), nullptr, SW_SHOWDEFAULT);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool COrvaneApp::LaunchTrayProgram(const std::wstring& arguments) {
  if (TrayProgramRuns()) {
    return false;
  }
  const bool started = StartTrayProgram(arguments + L" --from=main");
  LOG_INFO << "Tray program started: " << (started ? 1 : 0);
  return started;
}

void COrvaneApp::EnsureFolders() {
  if (Exists(CrashFolder())) {
    return;
  }
  for (const std::wstring& folder : {CAppConfig::GetDataFolder(), TempFolder(), CrashFolder()}) {
    if (!Exists(folder)) {
      CreateDirectoryW(folder.c_str(), nullptr);
    }
  }
}

void COrvaneApp::CleanTempFolder() {
  const std::wstring scratch = PrintScratchFile();
  if (Exists(scratch)) {
    DeleteFileW(scratch.c_str());
  }
  PruneCrashDumps(kCrashDumpsKept);
}

void COrvaneApp::PruneCrashDumps(size_t keep) { PruneCrashDumpsIn(CrashFolder(), keep); }

void COrvaneApp::PruneCrashDumpsIn(const std::wstring& crash_folder, size_t keep) {
  std::vector<std::wstring> dumps;
  WIN32_FIND_DATAW found;
  {
    const CFindHandle search(FindFirstFileW((crash_folder + L"*.dmp").c_str(), &found));
    if (!search) {
      return;
    }
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        dumps.push_back(crash_folder + found.cFileName);
      }
    } while (FindNextFileW(search.get(), &found));
  }
  if (dumps.size() <= keep) {
    return;
  }
  // Ascending by UTF-16 code units: dumps named by date go oldest first.
  std::sort(dumps.begin(), dumps.end());
  for (size_t i = 0; i + keep < dumps.size(); ++i) {
    DeleteFileW(dumps[i].c_str());
  }
}

void COrvaneApp::KillProcessesByPath(const std::wstring& path) {
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

void COrvaneApp::CompleteExit() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kExitMutex);
  if (!mutex) {
    return;
  }
  // Viewers closing together decide one after the other; an acquired mutex
  // stays owned until this process ends.
  WaitForSingleObject(mutex, kExitMutexWaitMs);
  if (!FindMainWindows(true).empty()) {
    return;
  }
  LOG_INFO << "Last viewer closes: the tray program ends";
  CIPCMessageMgr* channel = CIPCMessageMgr::GetInstance();
  channel->Send(CIPCMessageMgr::TrayMessage(IPC::kTrayQuit));
  KillProcessesByPath(TrayProgramPath());
}
