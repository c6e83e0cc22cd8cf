#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <utility>

// Counts statistics events. Nothing leaves the machine: when the diagnostic
// log marker "main.log.on" exists in the data folder at start, each event is
// also appended to "stat.log" there.
class CStatRecorder {
 public:
  static CStatRecorder& Instance();

  void Start();
  // False for an empty category or name.
  bool Record(const std::wstring& category, const std::wstring& name);
  // Writes out what is pending and closes the file; waits at most timeout_ms
  // for an event being recorded on another thread.
  void Complete(DWORD timeout_ms);

 private:
  CStatRecorder() = default;
  void OpenFileIfMarked();

  std::timed_mutex lock_;
  bool started_ = false;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::map<std::pair<std::wstring, std::wstring>, int> counts_;
};
