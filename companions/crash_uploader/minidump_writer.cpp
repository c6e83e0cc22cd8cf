#include "crash_uploader/minidump_writer.h"

#include <windows.h>
#include <dbghelp.h>

#include <cstdio>
#include <utility>

namespace {

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle)
      : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~ScopedHandle() {
    if (handle_) {
      CloseHandle(handle_);
    }
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE get() const { return handle_; }
  void reset() {
    if (handle_) {
      CloseHandle(handle_);
      handle_ = nullptr;
    }
  }

 private:
  HANDLE handle_;
};

// The pointer the crashed process passed, sign-extended to 64 bits; a 32-bit
// uploader only serves 32-bit programs.
bool ToAddress(uint64_t value, ULONG_PTR* address) {
#ifdef _WIN64
  *address = static_cast<ULONG_PTR>(value);
  return true;
#else
  const uint32_t high = static_cast<uint32_t>(value >> 32);
  if (high != 0 && high != 0xFFFFFFFFu) {
    return false;
  }
  *address = static_cast<ULONG_PTR>(value & 0xFFFFFFFFu);
  return true;
#endif
}

bool ExceptionIsReadable(HANDLE process, ULONG_PTR address) {
  EXCEPTION_POINTERS pointers = {};
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(address), &pointers,
                         sizeof(pointers), &got) ||
      got != sizeof(pointers) || !pointers.ExceptionRecord) {
    return false;
  }
  EXCEPTION_RECORD record = {};
  return ReadProcessMemory(process, pointers.ExceptionRecord, &record, sizeof(record), &got) &&
         got == sizeof(record);
}

bool ThreadBelongsTo(DWORD thread_id, DWORD process_id) {
  ScopedHandle thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, thread_id));
  return thread.get() && GetProcessIdOfThread(thread.get()) == process_id;
}

}  // namespace

CMinidumpWriter::CMinidumpWriter(std::wstring folder) : folder_(std::move(folder)) {
  if (!folder_.empty() && folder_.back() != L'\\') {
    folder_ += L'\\';
  }
}

std::wstring CMinidumpWriter::FileNameFor(const CrashArguments& crash) const {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t stamp[40];
  // The time comes first so that dumps sort by age.
  swprintf(stamp, 40, L"%04u%02u%02u_%02u%02u%02u_%03u", now.wYear, now.wMonth, now.wDay, now.wHour,
           now.wMinute, now.wSecond, now.wMilliseconds);
  std::wstring name = std::wstring(stamp) + L"_" + crash.source;
  if (!crash.version.empty()) {
    name += L"_" + crash.version;
  }
  return name;
}

bool CMinidumpWriter::Write(const CrashArguments& crash, std::wstring* written_path) {
  ULONG_PTR exception_address = 0;
  if (!ToAddress(crash.exception_pointers, &exception_address)) {
    return false;
  }
  ScopedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE,
                                   FALSE, crash.process_id));
  if (!process.get() || !ThreadBelongsTo(crash.thread_id, crash.process_id) ||
      !ExceptionIsReadable(process.get(), exception_address)) {
    return false;
  }

  const std::wstring base = folder_ + FileNameFor(crash);
  const std::wstring partial = base + L".tmp";
  ScopedHandle file(CreateFileW(partial.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.get()) {
    return false;
  }
  MINIDUMP_EXCEPTION_INFORMATION exception = {};
  exception.ThreadId = crash.thread_id;
  exception.ExceptionPointers = reinterpret_cast<PEXCEPTION_POINTERS>(exception_address);
  exception.ClientPointers = TRUE;
  const BOOL written = MiniDumpWriteDump(process.get(), crash.process_id, file.get(),
                                         MiniDumpNormal, &exception, nullptr, nullptr);
  file.reset();
  if (!written) {
    DeleteFileW(partial.c_str());
    return false;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring target =
        attempt == 0 ? base + L".dmp" : base + L"-" + std::to_wstring(attempt) + L".dmp";
    if (MoveFileExW(partial.c_str(), target.c_str(), 0)) {
      *written_path = target;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) {
      break;
    }
  }
  DeleteFileW(partial.c_str());
  return false;
}
