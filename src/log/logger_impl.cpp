#include "log/logger_impl.h"

namespace LogUtils {

LoggerImpl* LoggerImpl::GetInstance() {
  // Created on first request; the initialisation of a function-local static
  // is guarded by the runtime's own lock.
  static LoggerImpl instance;
  return &instance;
}

}  // namespace LogUtils
