#include "image/save_target.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>
#include <random>

#include "basic_lib/win_util.h"
#include "framework/handle.h"
#include "log/my_log.h"

namespace {

constexpr int kTemporaryNameTries = 100;

bool CreationTime(const std::wstring& path, FILETIME* created) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    return false;
  }
  *created = data.ftCreationTime;
  return true;
}

void SetCreationTime(const std::wstring& path, const FILETIME& created) {
  const CHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    SetFileTime(file.get(), &created, nullptr, nullptr);
  }
}

int RandomNumber() {
  thread_local std::mt19937 generator(std::random_device{}() ^ GetTickCount());
  return static_cast<int>(generator() & 0x7FFF);
}

}  // namespace

CSaveTarget::CSaveTarget(const std::wstring& target) : target_(target) {
  if (!win_util::PathExists(target_)) {
    working_ = target_;
    return;
  }
  for (int i = 0; i < kTemporaryNameTries; ++i) {
    std::wstring candidate = TemporaryNameFor(target_);
    if (!win_util::PathExists(candidate)) {
      working_ = std::move(candidate);
      return;
    }
  }
}

std::wstring CSaveTarget::TemporaryNameFor(const std::wstring& target) {
  const wchar_t* name = PathFindFileNameW(target.c_str());
  const std::wstring folder = target.substr(0, static_cast<size_t>(name - target.c_str()));
  wchar_t temporary[64] = {};
  std::swprintf(temporary, 64, L"tmp%u%d", static_cast<unsigned>(GetTickCount()), RandomNumber());
  return folder + temporary + PathFindExtensionW(target.c_str());
}

bool CSaveTarget::Commit(bool copy_back) {
  if (working_ == target_) {
    return true;
  }
  if (working_.empty() || !win_util::PathExists(working_)) {
    return false;
  }
  SetFileAttributesW(target_.c_str(), FILE_ATTRIBUTE_NORMAL);
  FILETIME created = {};
  const bool keep_created = copy_back && CreationTime(target_, &created);
  bool replaced = MoveFileExW(working_.c_str(), target_.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  bool target_touched = false;
  if (!replaced && copy_back) {
    // Held open by someone who lets it be written but not renamed over.
    WIN32_FILE_ATTRIBUTE_DATA before = {};
    const bool known = GetFileAttributesExW(target_.c_str(), GetFileExInfoStandard, &before);
    replaced = CopyFileW(working_.c_str(), target_.c_str(), FALSE) != FALSE;
    if (!replaced) {
      WIN32_FILE_ATTRIBUTE_DATA after = {};
      target_touched = !known ||
                       !GetFileAttributesExW(target_.c_str(), GetFileExInfoStandard, &after) ||
                       after.nFileSizeLow != before.nFileSizeLow ||
                       after.nFileSizeHigh != before.nFileSizeHigh ||
                       CompareFileTime(&after.ftLastWriteTime, &before.ftLastWriteTime) != 0;
    }
  }
  if (!replaced) {
    LOG_INFO << "cannot replace the saved file: " << GetLastError();
    // A copy that failed part-way may have cut the target short: the
    // working file, complete, is then the only good copy and stays.
    if (target_touched) {
      LOG_INFO << "the saved picture stays in " << working_;
    } else {
      Discard();
    }
    return false;
  }
  if (copy_back) {
    Discard();
  }
  if (keep_created) {
    SetCreationTime(target_, created);
  }
  return true;
}

void CSaveTarget::Discard() {
  if (!working_.empty()) {
    SetFileAttributesW(working_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(working_.c_str());
  }
}
