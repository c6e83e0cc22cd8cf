#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test_support {

// What a message box showed before the watcher pressed its button.
struct SeenBox {
  std::wstring text;
  std::wstring button;
  std::wstring caption;
  RECT rect = {};
  HWND owner = nullptr;
};

// Watches the dialog boxes of one thread from a thread of its own and
// presses the first button of each box it finds, recording what it showed.
// The watched thread is the one that creates the watcher.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher() : thread_id_(GetCurrentThreadId()), worker_([this] { Watch(); }) {}
  ~MessageBoxWatcher() {
    stop_ = true;
    worker_.join();
  }
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  std::vector<SeenBox> Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  struct Found {
    HWND box = nullptr;
  };

  static BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (IsWindowVisible(window) && lstrcmpW(class_name, L"#32770") == 0) {
      reinterpret_cast<Found*>(param)->box = window;
      return FALSE;
    }
    return TRUE;
  }

  static BOOL CALLBACK ReadChild(HWND child, LPARAM param) {
    auto* box = reinterpret_cast<std::pair<SeenBox, HWND>*>(param);
    wchar_t class_name[16] = {};
    GetClassNameW(child, class_name, 16);
    wchar_t text[512] = {};
    GetWindowTextW(child, text, 512);
    if (lstrcmpiW(class_name, L"Static") == 0 && text[0] && box->first.text.empty()) {
      box->first.text = text;
    } else if (lstrcmpiW(class_name, L"Button") == 0 && !box->second) {
      box->first.button = text;
      box->second = child;
    }
    return TRUE;
  }

  void Watch() {
    while (!stop_) {
      Found found;
      EnumThreadWindows(thread_id_, FindBox, reinterpret_cast<LPARAM>(&found));
      if (!found.box) {
        Sleep(20);
        continue;
      }
      // Give the box time to finish its set-up before reading it.
      Sleep(100);
      std::pair<SeenBox, HWND> box;
      GetWindowRect(found.box, &box.first.rect);
      wchar_t caption[256] = {};
      GetWindowTextW(found.box, caption, 256);
      box.first.caption = caption;
      box.first.owner = GetWindow(found.box, GW_OWNER);
      EnumChildWindows(found.box, ReadChild, reinterpret_cast<LPARAM>(&box));
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(box.first);
      }
      if (box.second) {
        PostMessageW(found.box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box.second), BN_CLICKED),
                     reinterpret_cast<LPARAM>(box.second));
      }
      while (!stop_ && IsWindow(found.box)) {
        Sleep(20);
      }
    }
  }

  DWORD thread_id_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::thread worker_;
};

}  // namespace test_support
