#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

// One piece of background work: Run on a thread-pool worker, then OnComplete
// on the user-interface thread. A task is started and completed at most once.
class CAsyncTask {
 public:
  CAsyncTask();
  virtual ~CAsyncTask() = default;
  CAsyncTask(const CAsyncTask&) = delete;
  CAsyncTask& operator=(const CAsyncTask&) = delete;

  virtual void Run() = 0;
  virtual void OnComplete() {}
  virtual void Cancel() { alive = 0; }

  HWND hwnd = nullptr;            // the queue's message window, set at start
  PTP_WORK work = nullptr;        // the work object while running
  int32_t id = 0;                 // unique, from a counter bumped on the UI thread
  std::atomic<int32_t> alive{1};  // 0 once cancelled; read by effects mid-run
};
