#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/message_pump.h"
#include "support/test_paths.h"
#include "view_render/message_window.h"

namespace folder_test {

// Counts the messages of one number that reach it, sent or posted.
class CountingWindow : public FCMessageWindow {
 public:
  explicit CountingWindow(UINT message) : message_(message) { CreateMessageWindow(nullptr); }

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == message_) {
      ++count;
      return 0;
    }
    return FCMessageWindow::HandleMessage(message, wparam, lparam);
  }

  int count = 0;

 private:
  UINT message_;
};

using test_support::PumpUntil;

// Pumps messages for a while, for things that must not happen.
inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// A scratch folder holding empty files of the given names.
inline void MakeFiles(const test_support::ScratchFolder& folder,
                      const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    ASSERT_TRUE(test_support::WriteFileBytes(folder.File(name), "x")) << name.c_str();
  }
}

}  // namespace folder_test
