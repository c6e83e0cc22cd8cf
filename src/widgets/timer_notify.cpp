#include "widgets/timer_notify.h"

#include <map>

namespace {

// Live while any FCTimerNotify exists; UI thread only.
std::map<UINT_PTR, FCTimerNotify*>* g_timers = nullptr;
int g_live_count = 0;

}  // namespace

FCTimerNotify::FCTimerNotify() {
  if (g_live_count++ == 0) {
    g_timers = new std::map<UINT_PTR, FCTimerNotify*>();
  }
}

FCTimerNotify::~FCTimerNotify() {
  Stop();
  if (--g_live_count == 0) {
    delete g_timers;
    g_timers = nullptr;
  }
}

void FCTimerNotify::Start(UINT interval_ms) {
  Stop();
  timer_id = SetTimer(nullptr, 0, interval_ms, TimerProc);
  if (timer_id) {
    (*g_timers)[timer_id] = this;
  }
}

void FCTimerNotify::Stop() {
  if (!timer_id) {
    return;
  }
  g_timers->erase(timer_id);
  KillTimer(nullptr, timer_id);
  timer_id = 0;
}

void CALLBACK FCTimerNotify::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  if (!g_timers) {
    return;
  }
  auto found = g_timers->find(id);
  if (found != g_timers->end()) {
    found->second->OnTimer();
  }
}
