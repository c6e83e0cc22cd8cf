#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/auto_init_com.h"
#include "framework/auto_init_gdiplus.h"
#include "popup_dialog/window_impl_base.h"

namespace skin_test {

// COM, GDI+ and the toolkit pointed at the program folder's skins
// (resources\res.zip) and at this test program's own zip resource 161. A
// skin that cannot be loaded is recorded instead of ending the process.
class SkinEnvironment {
 public:
  SkinEnvironment();
  ~SkinEnvironment();
  SkinEnvironment(const SkinEnvironment&) = delete;
  SkinEnvironment& operator=(const SkinEnvironment&) = delete;

  // Points the global archive somewhere else (a missing or damaged file).
  void UseArchive(const std::wstring& path);
  const std::vector<std::wstring>& failures() const { return failures_; }

 private:
  FCAutoInitializeCOM com_;
  FCAutoInitGDIPlus gdiplus_;
  std::vector<std::wstring> failures_;
};

// A test of skinned boxes: the skin environment and a visible owner window
// at (60, 40), 800 by 560.
class SkinnedBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 60, 40, 800, 560,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }

  SkinEnvironment env_;
  HWND owner_ = nullptr;
};

// Drives skinned windows shown modally on this thread: once a visible
// window of the class has painted and settled (delay_ms), its step runs on
// this thread, from inside the modal loop. Steps run in order, one window
// each.
class ModalDriver {
 public:
  using Step = std::function<void(WindowImplBase& window)>;

  ModalDriver();
  ~ModalDriver();
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  ModalDriver& Then(const wchar_t* class_name, Step step, DWORD delay_ms = 150);
  // Steps run so far.
  size_t done() const { return next_; }

 private:
  struct Pending {
    std::wstring class_name;
    Step step;
    DWORD delay_ms;
  };
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Poll();

  std::vector<Pending> steps_;
  size_t next_ = 0;
  HWND seen_ = nullptr;
  DWORD seen_at_ = 0;
  UINT_PTR timer_ = 0;
  bool running_ = false;
};

// Answers every message box shown on this thread with its right button
// and records what it showed.
class MessageBoxRecorder {
 public:
  struct Box {
    std::wstring text;
    std::wstring button;
    HWND owner = nullptr;
  };

  MessageBoxRecorder();
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  const std::vector<Box>& Seen() const { return seen_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Poll();

  std::vector<Box> seen_;
  std::vector<HWND> answered_;
  UINT_PTR timer_ = 0;
};

// A visible top-level window of this thread with that class, or null.
HWND FindThreadWindow(const wchar_t* class_name);
// Presses and releases the left button over the middle of the named control
// (posted, so the window's own loop handles them).
bool ClickControl(WindowImplBase& window, const wchar_t* name);
// The same at a point of the window's client area.
void ClickAt(HWND hwnd, POINT point);
// Presses a key in the window (posted).
void PressKey(HWND hwnd, WPARAM key);
// The window's rectangle on the screen.
RECT ScreenRect(HWND hwnd);
// The screen pixels of a rectangle in window's client coordinates.
std::vector<uint32_t> ClientPixels(HWND hwnd, const RECT& rect);

// Reds, greens and blues of an 0x00RRGGBB pixel.
inline int Red(uint32_t pixel) { return (pixel >> 16) & 0xFF; }
inline int Green(uint32_t pixel) { return (pixel >> 8) & 0xFF; }
inline int Blue(uint32_t pixel) { return pixel & 0xFF; }

}  // namespace skin_test
