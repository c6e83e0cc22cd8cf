#include "tray/tray_mutexes.h"

#include <initializer_list>

namespace {

enum class Take { kTaken, kHeldElsewhere, kUnavailable };

Take TakeMutex(const wchar_t* name, HANDLE* handle) {
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
  const DWORD error = GetLastError();
  if (mutex && error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return Take::kHeldElsewhere;
  }
  if (!mutex) {
    // One created by another user or at another integrity level.
    return error == ERROR_ACCESS_DENIED ? Take::kHeldElsewhere : Take::kUnavailable;
  }
  *handle = mutex;
  return Take::kTaken;
}

}  // namespace

CTrayMutexes::~CTrayMutexes() { Release(); }

bool CTrayMutexes::Acquire() {
  const Take global = TakeMutex(kGlobalName, &global_);
  const Take local =
      global == Take::kHeldElsewhere ? Take::kHeldElsewhere : TakeMutex(kLocalName, &local_);
  if (global == Take::kHeldElsewhere || local == Take::kHeldElsewhere ||
      (global_ == nullptr && local_ == nullptr)) {
    Release();
    return false;
  }
  return true;
}

void CTrayMutexes::Release() {
  for (HANDLE* mutex : {&global_, &local_}) {
    if (*mutex) {
      CloseHandle(*mutex);
      *mutex = nullptr;
    }
  }
}
