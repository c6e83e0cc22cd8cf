#pragma once

#include <windows.h>

#include <string>

// The tray program: holds the tray mutexes, serves the tray channel for the
// viewers, shows the notification-area icon and records what viewers pass on.
class CTrayApp {
 public:
  explicit CTrayApp(HINSTANCE instance);
  // The exit code: 0, also when another tray program already runs.
  int Run(const std::wstring& arguments);

 private:
  void LaunchViewer(const std::wstring& arguments);

  HINSTANCE instance_;
  std::wstring program_folder_;
};
