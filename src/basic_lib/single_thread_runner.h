#pragma once

#include <windows.h>

#include <functional>
#include <memory>

// Runs tasks one after another on a worker thread of its own, first in,
// first out. The thread starts with the first task posted and ends when the
// queue is empty; the next post starts a new one. The queue is guarded by a
// lock, so tasks may be posted from any thread.
class CSingleThreadRunner {
 public:
  using Task = std::function<void()>;

  // Destruction stops the runner waiting up to destroy_wait_ms for a running
  // task. A task still running after that finishes on its own thread (the
  // queue it reads outlives the runner), so such a task must own what it
  // uses and check that what it reports to still exists.
  explicit CSingleThreadRunner(DWORD destroy_wait_ms = INFINITE);
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
  struct Queue;
  static DWORD WINAPI ThreadMain(void* param);

  DWORD destroy_wait_ms_;
  std::shared_ptr<Queue> queue_;
};
