#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/message_pump.h"

namespace test_support {

// Drives a real Lumora.exe: starts it, finds its main window, posts messages,
// reads its caption and the screen, and ends it.
class LumoraProcess {
 public:
  LumoraProcess() = default;
  ~LumoraProcess();
  LumoraProcess(const LumoraProcess&) = delete;
  LumoraProcess& operator=(const LumoraProcess&) = delete;

  // arguments is the command-line text after the program path; the process
  // starts in working_folder, or in this one when it is empty.
  bool Start(const std::wstring& arguments, const std::wstring& exe_path = std::wstring(),
             const std::wstring& working_folder = std::wstring());
  // The visible main window of this process, waiting up to timeout_ms.
  HWND WaitForMainWindow(DWORD timeout_ms = 15000);
  // Waits until the caption equals text; returns the last caption seen.
  std::wstring WaitForCaption(const std::wstring& text, DWORD timeout_ms = 10000);
  // Waits for the process to end; false on timeout.
  bool WaitForExit(DWORD timeout_ms, DWORD* exit_code = nullptr);
  // Asks the main window to close, then ends the process if it lingers.
  // A tray program started after this viewer was (the viewer starts one
  // when none runs, or while an older one is still ending) is ended as well:
  // left behind, it would hold the test runner's output open.
  void Close();
  // Leaves the tray program running when this viewer closes.
  void KeepTrayProgram() { keep_tray_ = true; }
  // Start leaves default_viewer_start_tip as it is, so the viewer may offer
  // to become the default viewer; otherwise Start turns the offer off, for
  // its modal prompt would stand in the way of every other test.
  void AllowDefaultViewerPrompt() { allow_prompt_ = true; }

  HWND main_window() const { return main_window_; }
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_ = {};
  HWND main_window_ = nullptr;
  std::vector<DWORD> trays_before_;
  bool keep_tray_ = true;
  bool allow_prompt_ = false;
};

// Writes default_viewer_start_tip=0 into the viewer's settings file.
void TurnOffDefaultViewerPrompt();

// Polls done (pumping this thread's messages) until it holds; false on timeout.
bool WaitUntil(const std::function<bool()>& done, DWORD timeout_ms = 10000);
// The tray program runs: one of its named mutexes exists.
bool TrayProgramRuns();
// Ends every LumoraTray.exe of the program folder and waits for it.
void EndTrayPrograms();
// Ends the tray programs of the program folder but those in kept.
void EndTrayProgramsExcept(const std::vector<DWORD>& kept);
// The process id of every running process whose program file is path
// (compared ignoring case).
std::vector<DWORD> ProcessesOf(const std::wstring& path);
// A message-only window by its window name, of any class.
HWND FindMessageWindow(const wchar_t* name);

std::wstring WindowCaption(HWND hwnd);
// A visible top-level window of class class_name in process pid other than
// skip, waiting up to timeout_ms; null when none shows.
HWND WaitForWindowOfClass(DWORD pid, const wchar_t* class_name, DWORD timeout_ms = 10000,
                          HWND skip = nullptr);
// Moves the pointer to point of hwnd's client area and clicks there, by
// posted messages (hwnd may belong to another process).
void PostClick(HWND hwnd, POINT point);
// Every visible top-level main window of the program, in any process.
HWND FindMainWindowOf(DWORD pid);
// The colour of one screen pixel, read back through the screen DC.
COLORREF ScreenPixel(int x, int y);
// The screen's pixels inside rect, row by row, each as 0x00RRGGBB.
std::vector<uint32_t> ScreenPixels(const RECT& rect);

}  // namespace test_support
