#pragma once

#include <windows.h>

#include <string>

class CWnd;

// The application object: one per process, constructed statically. The
// program entry calls RunApplication, which runs InitInstance and then either
// ExitInstance (InitInstance said false) or a message loop.
class CWinApp {
 public:
  explicit CWinApp(const wchar_t* app_name);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return exit_code_; }
  // The thread's message loop with PreTranslateMessage of the main window.
  virtual int Run();

  static CWinApp* GetApp();
  // What the program entry returns.
  static int RunApplication(HINSTANCE instance, const wchar_t* command_line);

  const std::wstring& app_name() const { return app_name_; }
  HINSTANCE instance() const { return instance_; }
  const std::wstring& command_line() const { return command_line_; }
  CWnd* main_window = nullptr;

 protected:
  int exit_code_ = 0;

 private:
  std::wstring app_name_;
  HINSTANCE instance_ = nullptr;
  std::wstring command_line_;
};
