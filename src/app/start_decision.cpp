#include "app/start_decision.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "app/app_names.h"
#include "app/command_line.h"
#include "app/hand_over.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "framework/handle.h"
#include "integration/companion_entry_points.h"
#include "log/my_log.h"

namespace {

// Serialises every process that changes the file association.
constexpr const char* kAssociationMutexName = "LmMainSetFileAssociation-9c1a7e1574578709";
constexpr int kCurrentUserRoot = static_cast<int>(0x80000001u);

struct MainWindowSearch {
  DWORD own_process;
  bool first_only;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectMainWindow(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<MainWindowSearch*>(lparam);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process == 0 || process == search->own_process) {
    return TRUE;
  }
  wchar_t class_name[256] = {};
  const int length = GetClassNameW(hwnd, class_name, 256);
  if (length <= 0 || std::wstring(class_name, length) != kMainFrameClassName) {
    return TRUE;
  }
  search->found.push_back(hwnd);
  return search->first_only ? FALSE : TRUE;
}

std::wstring WindowText(HWND hwnd) {
  wchar_t text[256] = {};
  const int length = GetWindowTextW(hwnd, text, 256);
  return std::wstring(text, length > 0 ? length : 0);
}

void MakeDefaultViewer() {
  CHandle mutex(CreateMutexA(nullptr, FALSE, kAssociationMutexName));
  const DWORD waited = mutex ? WaitForSingleObject(mutex.get(), INFINITE) : WAIT_FAILED;
  CAppConfig* config = CAppConfig::GetInstance();
  config->user_set_default_viewer = 1;
  config->Save();
  {
    const CAssocFunction set_default = LoadAssocFunction("SetDefaultImageViewer");
    if (auto call = set_default.get<SetDefaultImageViewerFn>()) {
      call(0);
    }
  }
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    ReleaseMutex(mutex.get());
  }
}

// A full path without "." and ".." parts and without a trailing
// backslash; empty when path is not a full path with a drive or a share.
std::wstring CanonicalFullPath(const std::wstring& path) {
  const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  const bool share = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
  if ((!drive && !share) || path.size() >= MAX_PATH) {
    return std::wstring();
  }
  wchar_t canonical[MAX_PATH] = {};
  if (!PathCanonicalizeW(canonical, path.c_str())) {
    return std::wstring();
  }
  return win_util::WithoutTrailingSeparator(canonical);
}

}  // namespace

bool IsDeletableDataFolder(const std::wstring& folder) {
  // The shell's delete operation expands wildcards.
  if (folder.find_first_of(L"*?") != std::wstring::npos) {
    return false;
  }
  const std::wstring canonical = CanonicalFullPath(folder);
  wchar_t app_data[MAX_PATH] = {};
  if (canonical.empty() ||
      FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data))) {
    return false;
  }
  const std::wstring parent = CanonicalFullPath(app_data);
  return !parent.empty() && canonical.size() > parent.size() + 1 &&
         canonical[parent.size()] == L'\\' &&
         CompareStringOrdinal(canonical.c_str(), static_cast<int>(parent.size()), parent.c_str(),
                              static_cast<int>(parent.size()), TRUE) == CSTR_EQUAL;
}

bool DeleteDataFolder(std::wstring folder) {
  if (!IsDeletableDataFolder(folder)) {
    LOG_INFO << "Not deleting the data folder " << folder;
    return false;
  }
  folder = win_util::WithoutTrailingSeparator(folder);
  // The log may hold a file in the folder open.
  LOG_INFO << "Deleting the data folder " << folder;
  CMyLog::DestroyInstance();
  folder.push_back(L'\0');  // the list ends with two zeros
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = folder.c_str();
  operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationW(&operation) == 0;
}

namespace {

void Uninstall() {
  {
    const CAssocFunction uninstall = LoadAssocFunction("UnInstall");
    if (auto call = uninstall.get<UnInstallFn>()) {
      call(kCurrentUserRoot);
    }
  }
  DeleteDataFolder(CAppConfig::GetDataFolder());
}

// The picture of this start as a full path: the running viewer that takes
// it over works in a folder of its own.
std::wstring AbsoluteImagePath(const CCommandLine& command_line) {
  const std::wstring path = command_line.GetImagePath();
  if (path.empty()) {
    return path;
  }
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) {
    return path;
  }
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) {
    return path;
  }
  full.resize(length);
  return full;
}

// True when a running viewer took the text.
bool HandOverTo(const wchar_t* receiver_name, const std::wstring& text) {
  HWND receiver = FindHandOverReceiver(receiver_name);
  return receiver && SendHandOverRecord(receiver, text) != 0;
}

}  // namespace

CAssocFunction::~CAssocFunction() {
  if (module_) {
    FreeLibrary(module_);
  }
}

CAssocFunction::CAssocFunction(CAssocFunction&& other) noexcept
    : module_(other.module_), function_(other.function_) {
  other.module_ = nullptr;
  other.function_ = nullptr;
}

CAssocFunction& CAssocFunction::operator=(CAssocFunction&& other) noexcept {
  if (this != &other) {
    if (module_) {
      FreeLibrary(module_);
    }
    module_ = other.module_;
    function_ = other.function_;
    other.module_ = nullptr;
    other.function_ = nullptr;
  }
  return *this;
}

CAssocFunction LoadAssocFunction(const char* export_name) {
  const std::wstring path = CAppConfig::GetProgramFolder() + kAssociationModuleName;
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    LOG_INFO << "The association module is missing: " << path;
    return CAssocFunction();
  }
  FARPROC function = GetProcAddress(module, export_name);
  if (!function) {
    LOG_INFO << "The association module has no " << export_name;
  }
  return CAssocFunction(module, function);
}

std::vector<HWND> FindMainWindows(bool first_only) {
  MainWindowSearch search = {GetCurrentProcessId(), first_only, {}};
  EnumWindows(CollectMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool DispatchStartArguments() {
  const CCommandLine* command_line = CCommandLine::GetInstance();
  if (command_line->HasSwitch(L"/install")) {
    MakeDefaultViewer();
    return false;
  }
  if (command_line->HasSwitch(L"/uninstall")) {
    Uninstall();
    return false;
  }
  if (command_line->HasSwitch(L"--setting") && HandOverTo(kAlwaysWindowName, L"--setting")) {
    return false;
  }
  if (command_line->HasSwitch(L"--show-existing") &&
      HandOverTo(kAlwaysWindowName, command_line->GetRawCommandLine())) {
    return false;
  }
  if (command_line->HasSwitch(L"--LockscreenSet") &&
      HandOverTo(kAlwaysWindowName, command_line->GetRawCommandLine())) {
    return false;
  }
  const std::wstring image_path = AbsoluteImagePath(*command_line);
  if (CAppConfig::GetInstance()->only_one_instance && HandOverTo(kInstanceWindowName, image_path)) {
    return false;
  }
  // An idle viewer (one that shows no picture) takes the request even when
  // only_one_instance is off.
  for (HWND main_window : FindMainWindows()) {
    if (WindowText(main_window) == kIdleMainWindowText &&
        SendHandOverRecord(main_window, image_path) != 0) {
      return false;
    }
  }
  return true;
}
