#pragma once

#include <windows.h>

#include "view_render/message_window.h"

namespace test_support {

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

}  // namespace test_support
