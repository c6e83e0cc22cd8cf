#include "basic_lib/single_thread_runner.h"

#include <deque>
#include <mutex>
#include <utility>

// Shared by the runner and its worker, so a worker left running by a
// bounded stop never reads a destroyed runner.
struct CSingleThreadRunner::Queue {
  std::mutex lock;
  std::deque<Task> tasks;
  HANDLE thread = nullptr;
  DWORD thread_id = 0;
  bool running = false;

  ~Queue() {
    if (thread) {
      CloseHandle(thread);
    }
  }
};

CSingleThreadRunner::CSingleThreadRunner(DWORD destroy_wait_ms)
    : destroy_wait_ms_(destroy_wait_ms), queue_(std::make_shared<Queue>()) {}

CSingleThreadRunner::~CSingleThreadRunner() { Stop(destroy_wait_ms_); }

bool CSingleThreadRunner::PostTask(Task task) {
  std::lock_guard<std::mutex> guard(queue_->lock);
  queue_->tasks.push_back(std::move(task));
  if (queue_->running) {
    return true;
  }
  // The previous worker has left the queue for good; its handle can go.
  if (queue_->thread) {
    CloseHandle(queue_->thread);
    queue_->thread = nullptr;
  }
  // The worker holds its own reference to the queue.
  auto* held = new std::shared_ptr<Queue>(queue_);
  queue_->thread = CreateThread(nullptr, 0, ThreadMain, held, 0, &queue_->thread_id);
  if (!queue_->thread) {
    delete held;
    queue_->tasks.clear();
    queue_->thread_id = 0;
    return false;
  }
  queue_->running = true;
  return true;
}

bool CSingleThreadRunner::Stop(DWORD timeout_ms) {
  HANDLE thread = nullptr;
  {
    std::lock_guard<std::mutex> guard(queue_->lock);
    queue_->tasks.clear();
    if (!queue_->running) {
      return true;
    }
    if (GetCurrentThreadId() == queue_->thread_id) {
      return false;
    }
    if (!DuplicateHandle(GetCurrentProcess(), queue_->thread, GetCurrentProcess(), &thread,
                         SYNCHRONIZE, FALSE, 0)) {
      return false;
    }
  }
  const bool ended = WaitForSingleObject(thread, timeout_ms) == WAIT_OBJECT_0;
  CloseHandle(thread);
  return ended;
}

bool CSingleThreadRunner::IsRunning() const {
  std::lock_guard<std::mutex> guard(queue_->lock);
  return queue_->running;
}

bool CSingleThreadRunner::IsWorkerThread() const {
  std::lock_guard<std::mutex> guard(queue_->lock);
  return queue_->running && GetCurrentThreadId() == queue_->thread_id;
}

DWORD WINAPI CSingleThreadRunner::ThreadMain(void* param) {
  std::unique_ptr<std::shared_ptr<Queue>> held(static_cast<std::shared_ptr<Queue>*>(param));
  Queue& queue = **held;
  for (;;) {
    Task task;
    {
      std::lock_guard<std::mutex> guard(queue.lock);
      if (queue.tasks.empty()) {
        queue.running = false;
        return 0;
      }
      task = std::move(queue.tasks.front());
      queue.tasks.pop_front();
    }
    task();
  }
}
