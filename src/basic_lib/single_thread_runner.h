#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>

// Runs tasks one after another on a worker thread of its own, first in,
// first out. The thread starts with the first task posted and ends when the
// queue is empty; the next post starts a new one. The queue is guarded by a
// lock, so tasks may be posted from any thread.
class CSingleThreadRunner {
 public:
  using Task = std::function<void()>;

  CSingleThreadRunner() = default;
  // Stops, waiting for a running task without a time limit.
  ~CSingleThreadRunner();
  CSingleThreadRunner(const CSingleThreadRunner&) = delete;
  CSingleThreadRunner& operator=(const CSingleThreadRunner&) = delete;

  // Appends task; false when the thread could not be started (the task is
  // then dropped).
  bool PostTask(Task task);
  // Discards the tasks that have not started and, unless called from the
  // worker itself, waits up to timeout_ms for the running one. True when no
  // worker thread is left.
  bool Stop(DWORD timeout_ms);
  // Whether the worker thread is running.
  bool IsRunning() const;
  // Whether the calling thread is this runner's worker.
  bool IsWorkerThread() const;

 private:
  static DWORD WINAPI ThreadMain(void* param);
  void RunQueue();

  mutable std::mutex lock_;
  std::deque<Task> queue_;
  HANDLE thread_ = nullptr;
  DWORD thread_id_ = 0;
  bool running_ = false;
};
