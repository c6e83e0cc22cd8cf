#include "setup_plugin/folder_processes.h"

#include <tlhelp32.h>

#include <algorithm>

#include "app/app_names.h"
#include "framework/handle.h"
#include "resource_ids.h"

namespace setup_plugin {

namespace {

constexpr DWORD kTerminateWaitMs = 5000;

std::wstring FullLongPath(const std::wstring& path) {
  std::wstring full(32768, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
  if (length == 0 || length >= full.size()) {
    return path;
  }
  full.resize(length);
  std::wstring long_form(32768, L'\0');
  length = GetLongPathNameW(full.c_str(), &long_form[0], static_cast<DWORD>(long_form.size()));
  if (length == 0 || length >= long_form.size()) {
    return full;
  }
  long_form.resize(length);
  return long_form;
}

std::wstring ImagePath(DWORD pid) {
  const CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process) {
    return std::wstring();
  }
  std::wstring image(32768, L'\0');
  DWORD length = static_cast<DWORD>(image.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, &image[0], &length)) {
    return std::wstring();
  }
  image.resize(length);
  return image;
}

bool Listed(const std::vector<DWORD>& pids, DWORD pid) {
  return std::find(pids.begin(), pids.end(), pid) != pids.end();
}

struct CloseRequest {
  const std::vector<DWORD>* pids;
  std::vector<DWORD> asked;
};

BOOL CALLBACK AskViewerToClose(HWND hwnd, LPARAM lparam) {
  auto* request = reinterpret_cast<CloseRequest*>(lparam);
  wchar_t class_name[64] = {};
  if (GetClassNameW(hwnd, class_name, 64) == 0 || wcscmp(class_name, kMainFrameClassName) != 0) {
    return TRUE;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (Listed(*request->pids, pid)) {
    // The close button's command: the viewer saves its settings and ends.
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_CLOSE_BUTTON, BN_CLICKED), 0);
    request->asked.push_back(pid);
  }
  return TRUE;
}

void WaitForExit(const std::vector<DWORD>& pids, DWORD wait_ms) {
  const ULONGLONG deadline = GetTickCount64() + wait_ms;
  for (DWORD pid : pids) {
    const CHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) {
      continue;
    }
    const ULONGLONG now = GetTickCount64();
    WaitForSingleObject(process.get(), now < deadline ? static_cast<DWORD>(deadline - now) : 0);
  }
}

}  // namespace

CFolderProcesses::CFolderProcesses(const std::wstring& folder) : folder_(FullLongPath(folder)) {
  while (!folder_.empty() && (folder_.back() == L'\\' || folder_.back() == L'/')) {
    folder_.pop_back();
  }
  folder_.push_back(L'\\');
}

bool CFolderProcesses::Contains(const std::wstring& path) const {
  if (folder_.size() < 2 || path.size() <= folder_.size()) {
    return false;
  }
  return CompareStringOrdinal(path.c_str(), static_cast<int>(folder_.size()), folder_.c_str(),
                              static_cast<int>(folder_.size()), TRUE) == CSTR_EQUAL;
}

std::vector<DWORD> CFolderProcesses::Running() const {
  std::vector<DWORD> found;
  const CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    return found;
  }
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID != self && entry.th32ProcessID != 0 &&
        Contains(ImagePath(entry.th32ProcessID))) {
      found.push_back(entry.th32ProcessID);
    }
  }
  return found;
}

size_t CFolderProcesses::EndAll(DWORD close_wait_ms) const {
  const std::vector<DWORD> running = Running();
  if (running.empty()) {
    return 0;
  }
  CloseRequest request = {&running, {}};
  EnumWindows(AskViewerToClose, reinterpret_cast<LPARAM>(&request));
  WaitForExit(request.asked, close_wait_ms);

  // What is left (the tray program, a viewer that did not close) is ended.
  for (DWORD pid : Running()) {
    const CHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (process && TerminateProcess(process.get(), 0)) {
      WaitForSingleObject(process.get(), kTerminateWaitMs);
    }
  }
  return Running().size();
}

}  // namespace setup_plugin
