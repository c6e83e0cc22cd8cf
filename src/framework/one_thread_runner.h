#pragma once

#include <windows.h>

#include <functional>
#include <memory>

// Runs jobs one after another on a thread of its own (in a COM apartment),
// started with the first job. Destroying the runner drops the jobs that
// have not started and waits up to wait_ms for a running one; a job still
// running after that finishes on its own, so a job must own everything it
// uses and check that what it reports to still exists.
class COneThreadRunner {
 public:
  using Job = std::function<void()>;

  explicit COneThreadRunner(DWORD wait_ms);
  ~COneThreadRunner();
  COneThreadRunner(const COneThreadRunner&) = delete;
  COneThreadRunner& operator=(const COneThreadRunner&) = delete;

  void Post(Job job);
  // No job running or waiting.
  bool IsIdle() const;

 private:
  struct State;
  static void Run(std::shared_ptr<State> state);

  DWORD wait_ms_;
  std::shared_ptr<State> state_;
};
