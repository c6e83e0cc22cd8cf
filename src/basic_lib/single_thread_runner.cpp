#include "basic_lib/single_thread_runner.h"

#include <utility>

CSingleThreadRunner::~CSingleThreadRunner() {
  Stop(INFINITE);
  if (thread_) {
    // A worker that has just left the queue may still be releasing the lock.
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
}

bool CSingleThreadRunner::PostTask(Task task) {
  std::lock_guard<std::mutex> guard(lock_);
  queue_.push_back(std::move(task));
  if (running_) {
    return true;
  }
  // The previous worker has left the queue for good; its handle can go.
  if (thread_) {
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, &thread_id_);
  if (!thread_) {
    queue_.clear();
    thread_id_ = 0;
    return false;
  }
  running_ = true;
  return true;
}

bool CSingleThreadRunner::Stop(DWORD timeout_ms) {
  HANDLE thread = nullptr;
  {
    std::lock_guard<std::mutex> guard(lock_);
    queue_.clear();
    if (!running_) {
      return true;
    }
    if (GetCurrentThreadId() == thread_id_) {
      return false;
    }
    if (!DuplicateHandle(GetCurrentProcess(), thread_, GetCurrentProcess(), &thread, SYNCHRONIZE,
                         FALSE, 0)) {
      return false;
    }
  }
  const bool ended = WaitForSingleObject(thread, timeout_ms) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

bool CSingleThreadRunner::IsRunning() const {
  std::lock_guard<std::mutex> guard(lock_);
  return running_;
}

bool CSingleThreadRunner::IsWorkerThread() const {
  std::lock_guard<std::mutex> guard(lock_);
  return running_ && GetCurrentThreadId() == thread_id_;
}

DWORD WINAPI CSingleThreadRunner::ThreadMain(void* param) {
  static_cast<CSingleThreadRunner*>(param)->RunQueue();
  return 0;
}

void CSingleThreadRunner::RunQueue() {
  for (;;) {
    Task task;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (queue_.empty()) {
        // From here on the thread touches nothing of the runner.
        running_ = false;
        return;
      }
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
}
