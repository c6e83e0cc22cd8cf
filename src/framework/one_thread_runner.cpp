#include "framework/one_thread_runner.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "framework/auto_init_com.h"

struct COneThreadRunner::State {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<Job> jobs;
  bool started = false;
  bool running = false;
  bool stopping = false;
  bool ended = false;
};

COneThreadRunner::COneThreadRunner(DWORD wait_ms)
    : wait_ms_(wait_ms), state_(std::make_shared<State>()) {}

COneThreadRunner::~COneThreadRunner() {
  std::unique_lock<std::mutex> hold(state_->lock);
  state_->jobs.clear();
  state_->stopping = true;
  state_->changed.notify_all();
  if (state_->started) {
    state_->changed.wait_for(hold, std::chrono::milliseconds(wait_ms_),
                             [this] { return state_->ended; });
  }
}

void COneThreadRunner::Post(Job job) {
  std::lock_guard<std::mutex> hold(state_->lock);
  state_->jobs.push_back(std::move(job));
  if (!state_->started) {
    state_->started = true;
    // The thread holds the state, so it may outlive the runner.
    std::thread(Run, state_).detach();
  }
  state_->changed.notify_all();
}

bool COneThreadRunner::IsIdle() const {
  std::lock_guard<std::mutex> hold(state_->lock);
  return !state_->running && state_->jobs.empty();
}

void COneThreadRunner::Run(std::shared_ptr<State> state) {
  {
    FCAutoInitializeCOM com;
    std::unique_lock<std::mutex> hold(state->lock);
    for (;;) {
      state->changed.wait(hold, [&] { return state->stopping || !state->jobs.empty(); });
      if (state->stopping) {
        break;
      }
      Job job = std::move(state->jobs.front());
      state->jobs.pop_front();
      state->running = true;
      hold.unlock();
      job();
      job = nullptr;
      hold.lock();
      state->running = false;
      state->changed.notify_all();
    }
  }
  std::lock_guard<std::mutex> hold(state->lock);
  state->ended = true;
  state->changed.notify_all();
}
