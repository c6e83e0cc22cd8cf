#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>

#include "view_render/async_task.h"
#include "view_render/message_window.h"

constexpr UINT UM_TASK_DONE = 32897;      // wParam task id, lParam sender thread id
constexpr UINT UM_TASK_RELAY = 32898;     // wParam CTaskRelayRecord*
constexpr UINT UM_TASK_WAIT_ALL = 32899;  // wParam: another thread's wait request

// What a worker asks the UI thread to send for it while it keeps running.
struct CTaskRelayRecord {
  HWND target;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// Runs tasks on the system thread pool, at most MaxRunning at once and in
// submission order, and brings each completion back to the thread that owns
// the queue through its message window.
class CAsyncTaskQueue : public FCMessageWindow {
 public:
  using TaskPtr = std::shared_ptr<CAsyncTask>;

  CAsyncTaskQueue();
  ~CAsyncTaskQueue() override;

  void Submit(TaskPtr task);
  void Pump();
  // Returns once no task of this queue executes; their completions are
  // processed later through the message window, as usual.
  void WaitAll();
  // WaitAll from any thread: off the owning thread the owner is asked to do
  // it, so the message window stays on the thread that pumps it.
  void WaitAllFromAnyThread();
  // Drops the tasks not started and cancels the running ones.
  void CancelPending();
  // Drops the tasks not started; running ones go on.
  void DropPending();

  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  virtual int MaxRunning() { return 1; }
  virtual void OnTaskStart(CAsyncTask* /*task*/) {}

  size_t running_count() const { return running_.size(); }
  size_t pending_count() const { return pending_.size(); }

  // From a worker: sends message to target on the UI thread and waits until
  // it has been handled. False only when the target window is gone: the
  // worker stops then.
  static bool RelayToUiThread(const CAsyncTask& task, HWND target, UINT message, WPARAM wparam,
                              LPARAM lparam);

 private:
  static void CALLBACK WorkerEntry(PTP_CALLBACK_INSTANCE instance, void* context, PTP_WORK work);
  void FinishWork(CAsyncTask* task);

  std::map<int32_t, TaskPtr> running_;
  std::deque<TaskPtr> pending_;
};
