#include "common/stat_recorder.h"

#include <chrono>
#include <cstdio>

#include "shared/companion_paths.h"

namespace {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) {
    return std::string();
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                        nullptr, nullptr);
  }
  return utf8;
}

// Tabs and line breaks would break the one-event-per-line file.
std::wstring OneLine(std::wstring text) {
  for (wchar_t& c : text) {
    if (c == L'\t' || c == L'\r' || c == L'\n') {
      c = L' ';
    }
  }
  return text;
}

}  // namespace

CStatRecorder& CStatRecorder::Instance() {
  static CStatRecorder recorder;
  return recorder;
}

void CStatRecorder::Start() {
  std::lock_guard<std::timed_mutex> guard(lock_);
  if (started_) {
    return;
  }
  started_ = true;
  OpenFileIfMarked();
}

void CStatRecorder::OpenFileIfMarked() {
  const std::wstring folder = companion::DataFolder();
  if (folder.empty() ||
      GetFileAttributesW((folder + L"main.log.on").c_str()) == INVALID_FILE_ATTRIBUTES) {
    return;
  }
  file_ = CreateFileW((folder + L"stat.log").c_str(), FILE_APPEND_DATA,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool CStatRecorder::Record(const std::wstring& category, const std::wstring& name) {
  if (category.empty() || name.empty()) {
    return false;
  }
  std::lock_guard<std::timed_mutex> guard(lock_);
  if (!started_) {
    started_ = true;
    OpenFileIfMarked();
  }
  const int count = ++counts_[{category, name}];
  if (file_ != INVALID_HANDLE_VALUE) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay,
             now.wHour, now.wMinute, now.wSecond);
    const std::string line = std::string(stamp) + "\t" + ToUtf8(OneLine(category)) + "\t" +
                             ToUtf8(OneLine(name)) + "\t" + std::to_string(count) + "\n";
    DWORD written = 0;
    WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  return true;
}

void CStatRecorder::Complete(DWORD timeout_ms) {
  std::unique_lock<std::timed_mutex> guard(lock_, std::chrono::milliseconds(timeout_ms));
  if (!guard.owns_lock()) {
    return;
  }
  if (file_ != INVALID_HANDLE_VALUE) {
    FlushFileBuffers(file_);
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  // A later event opens the file again.
  started_ = false;
}
