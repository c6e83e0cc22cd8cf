#pragma once

#include <string>

// Statistics events, each a (category, name) pair, through common.dll. The
// module's StartStat runs once per process before the first event, and when
// it did, the process gives the module 2000 ms to finish (WaitStatComplete)
// while its static objects are destroyed at exit.
class CStatReporter {
 public:
  // False when the event was not taken: an empty category or name, or the
  // module refused it. Ends the process when common.dll cannot be loaded.
  static bool Send(const std::wstring& category, const std::wstring& name);
  // The once-only start step; later calls do nothing.
  static void StartOnce();
  static bool IsStarted();

  static constexpr int kCompleteTimeoutMs = 2000;
};
