#include "support/message_pump.h"
#include "view_render/async_task_queue.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// Events in the order they happened, from any thread.
class EventLog {
 public:
  void Add(const std::string& event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
  }
  std::vector<std::string> Get() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> events_;
};

class RecordingTask : public CAsyncTask {
 public:
  RecordingTask(EventLog* log, std::string name, HANDLE gate = nullptr)
      : log_(log), name_(std::move(name)), gate_(gate) {}

  void Run() override {
    log_->Add("start " + name_);
    if (gate_) {
      WaitForSingleObject(gate_, 10000);
    } else {
      Sleep(30);
    }
    log_->Add("end " + name_);
  }
  void OnComplete() override {
    complete_thread = GetCurrentThreadId();
    log_->Add("complete " + name_);
  }

  DWORD complete_thread = 0;

 private:
  EventLog* log_;
  std::string name_;
  HANDLE gate_;
};

using test_support::PumpUntil;

TEST(TaskQueue, ThreeTasksRunOneAtATimeInOrder) {
  EventLog log;
  CAsyncTaskQueue queue;
  std::vector<std::shared_ptr<RecordingTask>> tasks;
  for (const char* name : {"a", "b", "c"}) {
    tasks.push_back(std::make_shared<RecordingTask>(&log, name));
    queue.Submit(tasks.back());
  }
  EXPECT_EQ(queue.running_count(), 1u);
  EXPECT_EQ(queue.pending_count(), 2u);
  ASSERT_TRUE(PumpUntil([&] { return log.Get().size() == 9; }));
  EXPECT_EQ(log.Get(),
            (std::vector<std::string>{"start a", "end a", "complete a", "start b", "end b",
                                      "complete b", "start c", "end c", "complete c"}));
  for (const auto& task : tasks) {
    EXPECT_EQ(task->complete_thread, GetCurrentThreadId());
    EXPECT_EQ(task->work, nullptr);
  }
  EXPECT_EQ(queue.running_count(), 0u);
  EXPECT_LT(tasks[0]->id, tasks[1]->id);
}

TEST(TaskQueue, WaitAllWithNothingRunningKeepsTheWindow) {
  CAsyncTaskQueue queue;
  HWND before = queue.hwnd;
  ASSERT_NE(before, nullptr);
  queue.WaitAll();
  EXPECT_EQ(queue.hwnd, before);
  EXPECT_TRUE(IsWindow(before));
}

TEST(TaskQueue, WaitAllReturnsAfterRunAndCompletesLater) {
  EventLog log;
  CAsyncTaskQueue queue;
  auto task = std::make_shared<RecordingTask>(&log, "a");
  queue.Submit(task);
  queue.WaitAll();
  EXPECT_EQ(log.Get(), (std::vector<std::string>{"start a", "end a"}));
  EXPECT_EQ(task->work, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return log.Get().size() == 3; }));
  EXPECT_EQ(log.Get().back(), "complete a");
  EXPECT_EQ(queue.running_count(), 0u);
}

TEST(TaskQueue, WaitAllWhileTheWorkerIsBlockedSendingToThisThread) {
  // The worker finishes and sends its completion while this thread is not
  // pumping; WaitAll must still return instead of waiting on each other.
  EventLog log;
  CAsyncTaskQueue queue;
  auto task = std::make_shared<RecordingTask>(&log, "a");
  queue.Submit(task);
  Sleep(300);
  queue.WaitAll();
  ASSERT_TRUE(PumpUntil([&] { return log.Get().size() == 3; }));
  EXPECT_EQ(log.Get().back(), "complete a");
}

TEST(TaskQueue, WaitAllFromAnotherThreadWaitsThroughTheOwner) {
  // The resize job waits for the document's tasks from its own thread; the
  // queue's window must stay with the thread that pumps it.
  EventLog log;
  CAsyncTaskQueue queue;
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto task = std::make_shared<RecordingTask>(&log, "a", gate);
  queue.Submit(task);
  ASSERT_TRUE(PumpUntil([&] { return !log.Get().empty(); }));
  std::atomic<bool> returned{false};
  std::thread waiter([&] {
    queue.WaitAllFromAnyThread();
    log.Add("waited");
    returned = true;
  });
  // The owner ends up waiting for the worker, so the task is let go from
  // a third thread.
  std::thread releaser([&] {
    Sleep(300);
    log.Add("released");
    SetEvent(gate);
  });
  ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
  waiter.join();
  releaser.join();
  ASSERT_TRUE(PumpUntil([&] { return log.Get().size() == 5; }));
  const auto events = log.Get();
  const auto at = [&](const char* event) {
    return std::find(events.begin(), events.end(), event) - events.begin();
  };
  EXPECT_LT(at("released"), at("end a"));
  EXPECT_LT(at("end a"), at("waited"));
  EXPECT_LT(at("end a"), at("complete a"));
  EXPECT_EQ(task->complete_thread, GetCurrentThreadId());
  EXPECT_EQ(GetWindowThreadProcessId(queue.hwnd, nullptr), GetCurrentThreadId());
  CloseHandle(gate);

  // With nothing running the owner answers at once.
  std::atomic<bool> idle_returned{false};
  std::thread idle([&] {
    queue.WaitAllFromAnyThread();
    idle_returned = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return idle_returned.load(); }, 2000));
  idle.join();
}

// Completes by telling its target window, the way view tasks do.
class NotifyingTask : public CAsyncTask {
 public:
  explicit NotifyingTask(HWND target) : target_(target) {}
  void Run() override { Sleep(50); }
  void OnComplete() override {
    completed = true;
    if (IsWindow(target_)) {
      SendMessageW(target_, WM_APP + 7, 0, 0);
    }
  }
  bool completed = false;

 private:
  HWND target_;
};

int g_target_messages = 0;
DWORD g_target_thread = 0;

LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_APP + 7) {
    ++g_target_messages;
    g_target_thread = GetCurrentThreadId();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND CreateTargetWindow() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"task_queue_test_target";
  RegisterClassW(&wc);
  return CreateWindowW(L"task_queue_test_target", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                       wc.hInstance, nullptr);
}

TEST(TaskQueue, TaskWhoseTargetIsGoneCompletesSilentlyAndIsReleased) {
  g_target_messages = 0;
  CAsyncTaskQueue queue;
  HWND live = CreateTargetWindow();
  HWND gone = CreateTargetWindow();
  auto delivered = std::make_shared<NotifyingTask>(live);
  auto dropped = std::make_shared<NotifyingTask>(gone);
  std::weak_ptr<NotifyingTask> watch = dropped;
  queue.Submit(delivered);
  queue.Submit(dropped);
  DestroyWindow(gone);
  dropped.reset();
  ASSERT_TRUE(PumpUntil([&] { return watch.expired(); }));
  EXPECT_TRUE(delivered->completed);
  EXPECT_EQ(g_target_messages, 1);
  DestroyWindow(live);
}

TEST(TaskQueue, CancelPendingLeavesOnlyTheRunningTask) {
  EventLog log;
  CAsyncTaskQueue queue;
  HANDLE gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  auto running = std::make_shared<RecordingTask>(&log, "a", gate);
  auto waiting = std::make_shared<RecordingTask>(&log, "b");
  queue.Submit(running);
  queue.Submit(waiting);
  ASSERT_TRUE(PumpUntil([&] { return !log.Get().empty(); }));
  queue.CancelPending();
  EXPECT_EQ(queue.pending_count(), 0u);
  EXPECT_EQ(queue.running_count(), 1u);
  EXPECT_EQ(running->alive, 0);
  EXPECT_EQ(waiting->alive, 1);
  SetEvent(gate);
  ASSERT_TRUE(PumpUntil([&] { return log.Get().size() == 3; }));
  Sleep(100);
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(log.Get(), (std::vector<std::string>{"start a", "end a", "complete a"}));
  CloseHandle(gate);
}

class RelayTask : public CAsyncTask {
 public:
  explicit RelayTask(HWND target) : target_(target) {}
  void Run() override {
    relayed = CAsyncTaskQueue::RelayToUiThread(*this, target_, WM_APP + 7, 0, 0);
  }
  bool relayed = false;

 private:
  HWND target_;
};

TEST(TaskQueue, RelayDeliversOnTheUiThread) {
  g_target_messages = 0;
  g_target_thread = 0;
  CAsyncTaskQueue queue;
  HWND target = CreateTargetWindow();
  auto task = std::make_shared<RelayTask>(target);
  std::weak_ptr<RelayTask> watch = task;
  queue.Submit(task);
  ASSERT_TRUE(PumpUntil([&] { return queue.running_count() == 0; }));
  EXPECT_TRUE(task->relayed);
  EXPECT_EQ(g_target_messages, 1);
  EXPECT_EQ(g_target_thread, GetCurrentThreadId());

  DestroyWindow(target);
  auto orphan = std::make_shared<RelayTask>(target);
  queue.Submit(orphan);
  ASSERT_TRUE(PumpUntil([&] { return queue.running_count() == 0; }));
  EXPECT_FALSE(orphan->relayed);
  EXPECT_EQ(g_target_messages, 1);
}

// A queue that starts nothing until resumed, like the preload cache.
class GatedQueue : public CAsyncTaskQueue {
 public:
  int MaxRunning() override { return open ? 1 : 0; }
  void OnTaskStart(CAsyncTask* task) override { started.push_back(task->id); }
  bool open = false;
  std::vector<int32_t> started;
};

TEST(TaskQueue, MaxRunningZeroAcceptsButStartsNothing) {
  EventLog log;
  GatedQueue queue;
  auto task = std::make_shared<RecordingTask>(&log, "a");
  queue.Submit(task);
  PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(log.Get().empty());
  EXPECT_EQ(queue.pending_count(), 1u);
  queue.open = true;
  queue.Pump();
  EXPECT_EQ(queue.started, std::vector<int32_t>{task->id});
  EXPECT_EQ(task->hwnd, queue.hwnd);
  ASSERT_TRUE(PumpUntil([&] { return log.Get().size() == 3; }));
}

TEST(TaskQueue, DestroyingTheQueueWaitsForTheRunningTask) {
  EventLog log;
  std::weak_ptr<RecordingTask> watch;
  {
    CAsyncTaskQueue queue;
    auto task = std::make_shared<RecordingTask>(&log, "a");
    watch = task;
    queue.Submit(task);
    queue.Submit(std::make_shared<RecordingTask>(&log, "b"));
  }
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(log.Get(), (std::vector<std::string>{"start a", "end a"}));
}

}  // namespace
