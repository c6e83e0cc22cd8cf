#pragma once

#include <string>

// The companion tray program "LumoraTray.exe" beside the viewer.
constexpr const wchar_t* kTrayMutex = L"Global\\LmTray-95745a12eeaa410d";
constexpr const wchar_t* kTrayUpgradeMutex = L"LmTrayUpgradePrivilegeName-d7a77ee6517af62d";

std::wstring TrayProgramPath();
// Either of the tray program's mutexes exists.
bool TrayProgramRuns();
// Starts the tray program with the verb "open"; true when the shell did.
bool StartTrayProgram(const std::wstring& parameters);
// Starts the tray program with arguments + " --from=main" unless it runs;
// true when it was started.
bool LaunchTrayProgram(const std::wstring& arguments);
