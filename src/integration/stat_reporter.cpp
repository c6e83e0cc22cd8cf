#include "integration/stat_reporter.h"

#include <atomic>
#include <mutex>

#include "integration/common_module.h"
#include "integration/companion_entry_points.h"

namespace {

// Lives from the start step to the destruction of the static objects, where
// it lets the module finish.
class CStatSession {
 public:
  CStatSession() {
    if (auto start = CCommonModule::Entry<StartStatFn>("StartStat")) {
      start();
    }
    started_ = true;
  }
  ~CStatSession() {
    if (auto wait = CCommonModule::Entry<WaitStatCompleteFn>("WaitStatComplete")) {
      wait(CStatReporter::kCompleteTimeoutMs);
    }
  }
  CStatSession(const CStatSession&) = delete;
  CStatSession& operator=(const CStatSession&) = delete;

  static std::atomic<bool> started_;
};

std::atomic<bool> CStatSession::started_{false};

}  // namespace

void CStatReporter::StartOnce() {
  // A function-local static: constructed once, even by racing threads.
  static CStatSession session;
}

bool CStatReporter::IsStarted() { return CStatSession::started_; }

bool CStatReporter::Send(const std::wstring& category, const std::wstring& name) {
  if (category.empty() || name.empty()) {
    return false;
  }
  StartOnce();
  auto send = CCommonModule::Entry<SendStatUrlFn>("SendStatUrl");
  return send && send(category.c_str(), name.c_str()) != 0;
}
