#include "app/named_mutex.h"

#include "framework/handle.h"

void ResetLastErrorWithMutex() { CHandle(CreateMutexW(nullptr, FALSE, nullptr)); }

bool MutexExists(const wchar_t* name) {
  ResetLastErrorWithMutex();
  const CHandle mutex(OpenMutexW(MUTEX_MODIFY_STATE, FALSE, name));
  const DWORD error = GetLastError();
  if (!mutex && error != ERROR_FILE_NOT_FOUND && error != ERROR_ACCESS_DENIED) {
    return false;
  }
  return error != ERROR_FILE_NOT_FOUND;
}
