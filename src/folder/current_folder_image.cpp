#include "folder/current_folder_image.h"

#include <shlwapi.h>
#include <process.h>

#include <memory>

#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "folder/folder_scan.h"
#include "framework/auto_init_com.h"
#include "framework/ui_thread.h"
#include "folder/system_cache.h"
#include "log/my_log.h"
#include "view_render/message_window.h"
#include "widgets/window_title.h"

namespace {

// What the scan thread needs; it owns this record.
struct CScanJob {
  HWND result_window;
  std::wstring folder;
  std::wstring name;
  const std::atomic<int32_t>* abort;
  bool find_first;  // a folder the user opened: its first picture is current
};

unsigned __stdcall ScanThreadEntry(void* parameter) {
  std::unique_ptr<CScanJob> job(static_cast<CScanJob*>(parameter));
  FCAutoInitializeCOM com;
  CFolderScanResult result = job->find_first ? ScanFolderForFirstPicture(job->folder, *job->abort)
                                             : ScanFolder(job->folder, job->name, *job->abort);
  // Fails at once when the list stopped this scan and destroyed its window.
  SendMessageW(job->result_window, UM_FOLDER_SCAN_RESULT, reinterpret_cast<WPARAM>(&result), 0);
  return 0;
}

// folder without its trailing backslash, and the last component.
void SplitPath(const std::wstring& path, std::wstring* folder, std::wstring* name) {
  const wchar_t* name_start = PathFindFileNameW(path.c_str());
  *name = name_start;
  *folder = win_util::WithoutTrailingSeparator(
      path.substr(0, static_cast<size_t>(name_start - path.c_str())));
}

}  // namespace

CCurrentFolderImage::CCurrentFolderImage(CSystemCache* preload) : preload_(preload) {}

CCurrentFolderImage::~CCurrentFolderImage() { StopScan(); }

void CCurrentFolderImage::SetCurrent(HWND notify, const std::wstring& path) {
  ASSERT_UI_THREAD();
  DropFolderOpening();
  notify_hwnd_ = notify;
  std::wstring folder;
  std::wstring name;
  SplitPath(path, &folder, &name);
  if (name.empty() || folder.empty()) {
    Clear();
    return;
  }

  if (IsScanning()) {
    // The scan may be of another folder or miss a new file: start over.
    StopScan();
  } else if (StrCmpIW(folder.c_str(), folder_.c_str()) == 0) {
    const int32_t index = FindName(names_, name);
    if (index >= 0) {
      current_index_ = index;
      ReportPosition();
      StartPreload();
      if (notify_hwnd_) {
        SendMessageW(notify_hwnd_, UM_FOLDER_LIST_READY, 0, 0);
      }
      return;
    }
  }

  folder_ = folder;
  names_.assign(1, name);
  current_index_ = 0;
  ReportPosition();
  StartScan(name);
}

void CCurrentFolderImage::OpenFolder(HWND notify, const std::wstring& folder) {
  DropFolderOpening();
  StopScan();
  const std::wstring full = FullFolderPath(folder);
  opening_notify_ = notify;
  opening_path_ = folder;
  if (full.empty()) {
    // Nothing to list: the folder itself is opened and reports the failure.
    found_picture_ = folder;
    PostMessageW(notify, UM_FOLDER_PICTURE_FOUND, 0, 0);
    return;
  }
  // The list is replaced only once the folder is listed; until then it is
  // the shown picture's.
  opening_folder_ = full;
  StartScan(std::wstring(), true);
  if (!IsScanning()) {
    found_picture_ = folder;
    PostMessageW(notify, UM_FOLDER_PICTURE_FOUND, 0, 0);
  }
}

std::wstring CCurrentFolderImage::TakeFoundPicture() {
  std::wstring found;
  found.swap(found_picture_);
  return found;
}

void CCurrentFolderImage::DropFolderOpening() {
  opening_notify_ = nullptr;
  opening_path_.clear();
  opening_folder_.clear();
  found_picture_.clear();
}

void CCurrentFolderImage::StartScan(const std::wstring& name, bool find_first) {
  // Without a scan the picture stays alone in its list.
  if (!CreateMessageWindow(nullptr)) {
    LOG_INFO << "folder scan window not created:" << folder_;
    return;
  }
  abort_scan_ = 0;
  auto job = std::make_unique<CScanJob>(
      CScanJob{hwnd, find_first ? opening_folder_ : folder_, name, &abort_scan_, find_first});
  const uintptr_t thread = _beginthreadex(nullptr, 0, ScanThreadEntry, job.get(), 0, nullptr);
  if (!thread) {
    LOG_INFO << "folder scan thread not started:" << folder_;
    DestroyMessageWindow();
    return;
  }
  job.release();
  scan_thread_.Attach(reinterpret_cast<HANDLE>(thread));
}

void CCurrentFolderImage::StopScan() {
  if (!scan_thread_) {
    return;
  }
  // The window goes first so that a result being sent is refused and the
  // thread is never left waiting for this thread, which waits for it.
  DestroyMessageWindow();
  abort_scan_ = 1;
  WaitForSingleObject(scan_thread_.get(), INFINITE);
  scan_thread_.Close();
}

void CCurrentFolderImage::Clear() {
  // A scan left running would later fill the emptied list.
  StopScan();
  DropFolderOpening();
  notify_hwnd_ = nullptr;
  folder_.clear();
  names_.clear();
  current_index_ = -1;
}

std::wstring CCurrentFolderImage::PathOf(const std::wstring& name) const {
  wchar_t path[MAX_PATH] = {};
  if (folder_.size() >= MAX_PATH) {
    return std::wstring();
  }
  folder_.copy(path, folder_.size());
  if (!PathAppendW(path, name.c_str())) {
    return std::wstring();
  }
  return path;
}

std::wstring CCurrentFolderImage::Neighbour(int offset) const {
  const int32_t count = static_cast<int32_t>(names_.size());
  if (count < 2 || IsScanning() || current_index_ < 0) {
    return std::wstring();
  }
  int64_t index = static_cast<int64_t>(current_index_) + offset;
  const CAppConfig* config = CAppConfig::GetInstance();
  if (config->view_folder_loop) {
    if (index < 0) {
      index = count - 1;
    } else if (index >= count) {
      index = 0;
    }
  } else if (index < 0 || index >= count) {
    return std::wstring();
  }
  return PathOf(names_[static_cast<size_t>(index)]);
}

std::wstring CCurrentFolderImage::OnDeleted(const std::wstring& path) {
  if (IsScanning()) {
    Clear();
  }
  std::wstring folder;
  std::wstring name;
  SplitPath(path, &folder, &name);
  // Only a picture of this folder can leave this list.
  if (StrCmpIW(folder.c_str(), folder_.c_str()) == 0) {
    const int32_t index = FindName(names_, name);
    if (index >= 0) {
      names_.erase(names_.begin() + index);
    }
  }
  if (names_.empty()) {
    Clear();
    return std::wstring();
  }
  const int32_t last = static_cast<int32_t>(names_.size()) - 1;
  current_index_ = current_index_ < 0 ? 0 : (current_index_ > last ? last : current_index_);
  return PathOf(names_[static_cast<size_t>(current_index_)]);
}

LRESULT CCurrentFolderImage::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == UM_FOLDER_SCAN_RESULT) {
    OnScanResult(reinterpret_cast<CFolderScanResult*>(wparam));
    return 0;
  }
  return FCMessageWindow::HandleMessage(message, wparam, lparam);
}

void CCurrentFolderImage::OnScanResult(CFolderScanResult* result) {
  if (opening_notify_) {
    OnFolderOpened(result);
    return;
  }
  // A result without the current picture is ignored: the single list stays.
  if (result && result->current_index != -1) {
    current_index_ = result->current_index;
    names_.swap(result->names);
  }
  // The thread only frees its own data from here on.
  ReplyMessage(0);
  scan_thread_.Close();
  DestroyMessageWindow();
  ReportPosition();
  if (notify_hwnd_) {
    PostMessageW(notify_hwnd_, UM_FOLDER_LIST_READY, 0, 0);
  }
  StartPreload();
}

void CCurrentFolderImage::OnFolderOpened(CFolderScanResult* result) {
  if (result && result->current_index != -1) {
    // Opening the picture finds it in this list: no second scan.
    folder_ = opening_folder_;
    names_.swap(result->names);
    current_index_ = result->current_index;
    found_picture_ = PathOf(names_[static_cast<size_t>(current_index_)]);
  } else {
    found_picture_ = opening_path_;
  }
  ReplyMessage(0);
  scan_thread_.Close();
  DestroyMessageWindow();
  const HWND notify = opening_notify_;
  opening_notify_ = nullptr;
  opening_path_.clear();
  opening_folder_.clear();
  PostMessageW(notify, UM_FOLDER_PICTURE_FOUND, 0, 0);
}

void CCurrentFolderImage::ReportPosition() const {
  if (CWindowTitle* title = CWindowTitle::GetInstance()) {
    title->SetPosition(current_index_ + 1, static_cast<int>(names_.size()));
  }
}

void CCurrentFolderImage::StartPreload() {
  CSystemCache* cache = preload_ ? preload_ : CSystemCache::GetInstance();
  if (cache) {
    cache->Preload(folder_, current_index_, names_);
  }
}
