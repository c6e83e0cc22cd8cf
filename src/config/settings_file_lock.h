#pragma once

#include <windows.h>

// Held by every process around its write of the viewer's settings file: the
// viewer's Save replaces the file with an edited copy, and a write of another
// process (the tray program's hotkey) between the copy and the replacement
// would be lost. A holder that does not let go within the timeout is not
// waited for any longer.
class CSettingsFileLock {
 public:
  static constexpr const wchar_t* kName = L"LmSettingsFileWrite-71f2f18f041e546d";
  static constexpr DWORD kTimeoutMs = 10000;

  CSettingsFileLock() : mutex_(CreateMutexW(nullptr, FALSE, kName)) {
    if (mutex_) {
      const DWORD waited = WaitForSingleObject(mutex_, kTimeoutMs);
      owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
  }
  ~CSettingsFileLock() {
    if (owned_) {
      ReleaseMutex(mutex_);
    }
    if (mutex_) {
      CloseHandle(mutex_);
    }
  }
  CSettingsFileLock(const CSettingsFileLock&) = delete;
  CSettingsFileLock& operator=(const CSettingsFileLock&) = delete;

 private:
  HANDLE mutex_;
  bool owned_ = false;
};
