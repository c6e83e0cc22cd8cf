// The application's own steps that reach outside the process: the pending
// update, the data folders at start and exit, and the complete exit.
#include <windows.h>

#include "app/crash_dumps.h"
#include "app/ipc/channel_names.h"
#include "app/ipc/ipc_message_mgr.h"
#include "app/named_mutex.h"
#include "app/orvane_app.h"
#include "app/process_killer.h"
#include "app/start_decision.h"
#include "app/tray_program.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "config/data_paths.h"
#include "log/my_log.h"

namespace {

constexpr DWORD kExitMutexWaitMs = 10000;
constexpr size_t kMaxUpdateStateChars = 260;

}  // namespace

std::wstring COrvaneApp::UpdateStateFile() {
  return CAppConfig::GetProgramFolder() + L"config.ini";
}

bool COrvaneApp::IsUpdatePending() { return IsUpdatePendingIn(UpdateStateFile()); }

bool COrvaneApp::IsUpdatePendingIn(const std::wstring& state_file) {
  if (!win_util::PathExists(state_file)) {
    return false;
  }
  wchar_t state[kMaxUpdateStateChars + 1] = {};
  GetPrivateProfileStringW(L"update", L"state", L"", state, kMaxUpdateStateChars + 1,
                           state_file.c_str());
  return std::wstring(state) == L"glimtUpdate" && !MutexExists(kUpdaterMutex);
}

void COrvaneApp::EnsureFolders() {
  const std::wstring crash = data_paths::CrashFolder();
  if (win_util::PathExists(crash)) {
    return;
  }
  for (const std::wstring& folder :
       {CAppConfig::GetDataFolder(), data_paths::TempFolder(), crash}) {
    win_util::CreateFolder(folder);
  }
}

void COrvaneApp::CleanTempFolder() {
  const std::wstring scratch = data_paths::PrintScratchFile();
  if (win_util::PathExists(scratch)) {
    DeleteFileW(scratch.c_str());
  }
  PruneCrashDumps(kCrashDumpsKept);
}

void COrvaneApp::CompleteExit() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kExitMutex);
  if (!mutex) {
    return;
  }
  // Viewers closing together decide one after the other; an acquired mutex
  // stays owned, and its handle open, until this process ends.
  WaitForSingleObject(mutex, kExitMutexWaitMs);
  if (!FindMainWindows(true).empty()) {
    return;
  }
  LOG_INFO << "Last viewer closes: the tray program ends";
  CIPCMessageMgr* channel = CIPCMessageMgr::GetInstance();
  channel->Send(CIPCMessageMgr::TrayMessage(IPC::kTrayQuit));
  KillProcessesByPath(TrayProgramPath());
}
