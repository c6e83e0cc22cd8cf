#pragma once

#include <windows.h>

// The frameless canvas-coloured window the program runs until the main
// window takes its place; it already carries the main window's class name so
// that other processes find it.
class CStartWindow {
 public:
  CStartWindow() = default;
  ~CStartWindow();
  CStartWindow(const CStartWindow&) = delete;
  CStartWindow& operator=(const CStartWindow&) = delete;

  bool Create(int show_command);
  // Runs the message loop until the window is closed; returns the exit code.
  int RunModal();
  HWND hwnd() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
  HBRUSH canvas_brush_ = nullptr;
};
