#pragma once

#include <windows.h>

#include <map>
#include <mutex>

#include "integration/http_task.h"

class CHttpTask;

// The process-wide request factory of the HTTP module. It knows the running
// requests so that HttpUninit can end them.
class CHttpTaskFactory final : public IHttpTaskFactory {
 public:
  static CHttpTaskFactory& Instance();

  IHttpTask* __stdcall CreateTask() override;

  // HttpInit opens the factory, HttpUninit shuts it: running requests are
  // cancelled (their callbacks hear of it before Shutdown returns) and no
  // request starts until it opens again. A request's thread keeps the module
  // loaded until it has ended.
  void Open();
  void Shutdown();

  // A started request's thread; false when the factory is shut.
  bool TaskStarted(CHttpTask* task, HANDLE thread);
  void TaskEnded(CHttpTask* task);

 private:
  CHttpTaskFactory() = default;

  std::mutex lock_;
  bool open_ = false;
  std::map<CHttpTask*, HANDLE> running_;
};
