#include "view_render/async_task_queue.h"

#include <atomic>
#include <vector>

#include "framework/auto_init_com.h"
#include "framework/handle.h"
#include "framework/ui_thread.h"

CAsyncTaskQueue::CAsyncTaskQueue() { CreateMessageWindow(nullptr); }

CAsyncTaskQueue::~CAsyncTaskQueue() {
  WaitAll();
  DestroyMessageWindow();
  running_.clear();
  pending_.clear();
}

void CAsyncTaskQueue::Submit(TaskPtr task) {
  ASSERT_UI_THREAD();
  if (!task) {
    return;
  }
  pending_.push_back(std::move(task));
  Pump();
}

void CAsyncTaskQueue::Pump() {
  while (static_cast<int>(running_.size()) < MaxRunning() && !pending_.empty()) {
    TaskPtr task = pending_.front();
    pending_.pop_front();
    task->hwnd = hwnd;
    OnTaskStart(task.get());
    running_[task->id] = task;
    task->work = CreateThreadpoolWork(WorkerEntry, task.get(), nullptr);
    if (!task->work) {
      // Without a work object the task can never run: complete it now so
      // its owner is not left waiting.
      running_.erase(task->id);
      task->OnComplete();
      continue;
    }
    SubmitThreadpoolWork(task->work);
  }
}

void CALLBACK CAsyncTaskQueue::WorkerEntry(PTP_CALLBACK_INSTANCE, void* context, PTP_WORK) {
  auto* task = static_cast<CAsyncTask*>(context);
  FCAutoInitializeCOM com;
  task->Run();
  SendMessageW(task->hwnd, UM_TASK_DONE, static_cast<WPARAM>(task->id),
               static_cast<LPARAM>(GetCurrentThreadId()));
}

void CAsyncTaskQueue::FinishWork(CAsyncTask* task) {
  if (task->work) {
    WaitForThreadpoolWorkCallbacks(task->work, FALSE);
    CloseThreadpoolWork(task->work);
    task->work = nullptr;
  }
}

void CAsyncTaskQueue::WaitAll() {
  if (running_.empty()) {
    return;
  }
  // Without the window no completion is processed meanwhile, and the
  // workers' completion sends fail at once.
  DestroyMessageWindow();

  // A worker blocked in its completion send is released by the window's
  // destruction, so waiting for the callbacks cannot deadlock.
  std::vector<int32_t> ids;
  for (auto& entry : running_) {
    ids.push_back(entry.first);
    FinishWork(entry.second.get());
  }

  CreateMessageWindow(nullptr);
  for (auto& entry : running_) {
    entry.second->hwnd = hwnd;
  }
  for (int32_t id : ids) {
    PostMessageW(hwnd, UM_TASK_DONE, static_cast<WPARAM>(id),
                 static_cast<LPARAM>(GetCurrentThreadId()));
  }
}

namespace {

// A wait asked for by another thread. The owner's WaitAll destroys the
// window the request arrived through, which may release the asking thread
// from its send early, so the end of the wait is told by an event.
struct CWaitRequest {
  std::atomic<bool> started{false};
  CHandle done;
};

}  // namespace

void CAsyncTaskQueue::WaitAllFromAnyThread() {
  CWaitRequest request;
  request.done.Attach(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!request.done) {
    return;
  }
  for (;;) {
    HWND window = hwnd;
    if (!window) {
      break;
    }
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
      WaitAll();
      break;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, UM_TASK_WAIT_ALL, reinterpret_cast<WPARAM>(&request), 0, SMTO_BLOCK,
                        INFINITE, &result);
    if (request.started) {
      WaitForSingleObject(request.done.get(), INFINITE);
      break;
    }
    // Not delivered: the window was replaced meanwhile; ask the new one.
    if (hwnd == window) {
      break;
    }
  }
}

void CAsyncTaskQueue::DropPending() { pending_.clear(); }

void CAsyncTaskQueue::CancelPending() {
  pending_.clear();
  for (auto& entry : running_) {
    entry.second->Cancel();
  }
}

LRESULT CAsyncTaskQueue::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case UM_TASK_DONE: {
      if (static_cast<DWORD>(lparam) != GetCurrentThreadId()) {
        ReplyMessage(0);
      }
      auto found = running_.find(static_cast<int32_t>(wparam));
      if (found != running_.end()) {
        TaskPtr task = found->second;
        task->OnComplete();
        FinishWork(task.get());
        running_.erase(task->id);
      }
      Pump();
      return 0;
    }
    case UM_TASK_RELAY: {
      const auto* record = reinterpret_cast<const CTaskRelayRecord*>(wparam);
      if (record) {
        SendMessageW(record->target, record->message, record->wparam, record->lparam);
      }
      return 0;
    }
    case UM_TASK_WAIT_ALL: {
      auto* request = reinterpret_cast<CWaitRequest*>(wparam);
      request->started = true;
      WaitAll();
      SetEvent(request->done.get());
      return 0;
    }
    default:
      return FCMessageWindow::HandleMessage(message, wparam, lparam);
  }
}

bool CAsyncTaskQueue::RelayToUiThread(const CAsyncTask& task, HWND target, UINT message,
                                      WPARAM wparam, LPARAM lparam) {
  CTaskRelayRecord record = {target, message, wparam, lparam};
  DWORD_PTR result = 0;
  // Blocks until handled. While the owner waits for its tasks (WaitAll) the
  // queue window is gone and the send fails at once: that partial result is
  // not shown, but the task goes on, since its completion reports everything.
  SendMessageTimeoutW(task.hwnd, UM_TASK_RELAY, reinterpret_cast<WPARAM>(&record), 0, SMTO_BLOCK,
                      INFINITE, &result);
  return IsWindow(target) != FALSE;
}
