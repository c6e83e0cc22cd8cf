#include "app/tray_program.h"

#include <windows.h>
#include <shellapi.h>

#include "app/named_mutex.h"
#include "config/app_config.h"
#include "integration/companion_entry_points.h"
#include "log/my_log.h"

std::wstring TrayProgramPath() { return CAppConfig::GetProgramFolder() + kTrayProgramName; }

bool TrayProgramRuns() { return MutexExists(kTrayMutex) || MutexExists(kTrayUpgradeMutex); }

bool StartTrayProgram(const std::wstring& parameters) {
  const std::wstring tray = TrayProgramPath();
  const HINSTANCE result =
      ShellExecuteW(nullptr, L"open", tray.c_str(), parameters.c_str(), nullptr, SW_SHOWDEFAULT);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool LaunchTrayProgram(const std::wstring& arguments) {
  if (TrayProgramRuns()) {
    return false;
  }
  const bool started = StartTrayProgram(arguments + L" --from=main");
  LOG_INFO << "Tray program started: " << (started ? 1 : 0);
  return started;
}
