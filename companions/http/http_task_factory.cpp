#include "http/http_task_factory.h"

#include <new>
#include <vector>

#include "http/http_task_impl.h"

CHttpTaskFactory& CHttpTaskFactory::Instance() {
  static CHttpTaskFactory factory;
  return factory;
}

IHttpTask* __stdcall CHttpTaskFactory::CreateTask() { return new (std::nothrow) CHttpTask(this); }

void CHttpTaskFactory::Open() {
  std::lock_guard<std::mutex> guard(lock_);
  open_ = true;
}

bool CHttpTaskFactory::TaskStarted(CHttpTask* task, HANDLE thread) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!open_) {
    return false;
  }
  running_[task] = thread;
  return true;
}

void CHttpTaskFactory::TaskEnded(CHttpTask* task) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto found = running_.find(task);
  if (found != running_.end()) {
    CloseHandle(found->second);
    running_.erase(found);
  }
}

void CHttpTaskFactory::Shutdown() {
  std::vector<CHttpTask*> tasks;
  {
    std::lock_guard<std::mutex> guard(lock_);
    open_ = false;
    for (const auto& entry : running_) {
      entry.first->AddRef();
      tasks.push_back(entry.first);
    }
  }
  // Outside the lock: the callbacks run inside Cancel.
  for (CHttpTask* task : tasks) {
    task->Cancel();
    task->Release();
  }
}
