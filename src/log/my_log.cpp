#include "log/my_log.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <iostream>
#include <mutex>

#include "basic_lib/win_util.h"

namespace {

class CLockGuard {
 public:
  explicit CLockGuard(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
  ~CLockGuard() { LeaveCriticalSection(lock_); }
  CLockGuard(const CLockGuard&) = delete;
  CLockGuard& operator=(const CLockGuard&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

CMyLog::CMyLog() { InitializeCriticalSection(&lock_); }

CMyLog::~CMyLog() {
  file_.Close();
  DeleteCriticalSection(&lock_);
}

std::wstring CMyLog::DefaultLogPath() {
  // Computed here rather than taken from the settings store, which logs
  // through this class and is created after it.
  wchar_t app_data[MAX_PATH] = {};
  wchar_t canonical[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data);
  PathCanonicalizeW(canonical, app_data);
  return win_util::WithTrailingSeparator(canonical) + L"Lumora\\main.log";
}

void CMyLog::Open() { Open(DefaultLogPath()); }

void CMyLog::Open(const std::wstring& log_path) {
  CLockGuard guard(&lock_);
  if (file_) {
    return;
  }
  const std::wstring marker_path = log_path + L".on";
  if (!CHandle(CreateFileW(marker_path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
    return;
  }
  file_.Attach(CreateFileW(log_path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_) {
    return;
  }
  LARGE_INTEGER size = {};
  if (GetFileSizeEx(file_.get(), &size) && size.QuadPart == 0) {
    // A byte order mark lets editors tell the UTF-8 text from the ANSI code page.
    DWORD written = 0;
    WriteFile(file_.get(), "\xEF\xBB\xBF", 3, &written, nullptr);
  }
}

bool CMyLog::IsFileOpen() const {
  CLockGuard guard(&lock_);
  return file_.IsValid();
}

void CMyLog::Write(const CLogLine& line) {
  CLockGuard guard(&lock_);
  pending_ += line.str();
  if (file_) {
    WriteToFile(pending_);
  }
  std::wcout << pending_ << L'\n';
  std::wcout.flush();
  // Text the console cannot convert fails the stream; later lines must still show.
  std::wcout.clear();
  pending_.clear();
}

void CMyLog::WriteToFile(const std::wstring& text) {
  // Written straight to the file with no buffer of ours, so every line is
  // in the file even when the process dies right after.
  const std::string bytes = win_util::Utf16ToUtf8(text) + "\r\n";
  DWORD written = 0;
  WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void CLogLineSender::operator&(const CLogLine& line) const {
  if (CMyLog* log = CMyLog::GetInstance()) {
    log->Write(line);
  }
}
