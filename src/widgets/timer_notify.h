#pragma once

#include <windows.h>

// A windowless thread timer delivered to OnTimer of this object.
class FCTimerNotify {
 public:
  FCTimerNotify();
  virtual ~FCTimerNotify();
  FCTimerNotify(const FCTimerNotify&) = delete;
  FCTimerNotify& operator=(const FCTimerNotify&) = delete;

  // Stops a running timer first.
  void Start(UINT interval_ms);
  void Stop();
  bool IsRunning() const { return timer_id != 0; }

  virtual void OnTimer() = 0;

  UINT_PTR timer_id = 0;

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
};
