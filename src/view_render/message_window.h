#pragma once

#include <windows.h>

#include <string>

// A hidden message-only window bound to this object: messages arrive at
// HandleMessage on the thread that created the window.
class FCMessageWindow {
 public:
  FCMessageWindow() = default;
  virtual ~FCMessageWindow();
  FCMessageWindow(const FCMessageWindow&) = delete;
  FCMessageWindow& operator=(const FCMessageWindow&) = delete;

  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // Destroys any previous window first; name may be null.
  bool CreateMessageWindow(const wchar_t* name);
  void DestroyMessageWindow();

  HWND hwnd = nullptr;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};
