#pragma once

namespace LogUtils {

// The logger the message channel asks before it writes a failure line. It
// has no output attached and nothing raises its threshold of 3, so it never
// accepts the channel's lines.
class LoggerImpl {
 public:
  static LoggerImpl* GetInstance();

  bool IsLevelEnabled(int level) const { return level >= threshold_; }
  int threshold() const { return threshold_; }

 private:
  LoggerImpl() = default;

  int threshold_ = 3;
};

}  // namespace LogUtils
