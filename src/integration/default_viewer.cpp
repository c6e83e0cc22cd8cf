#include "integration/default_viewer.h"

#include <process.h>

#include <memory>
#include <utility>

#include "app/ipc/channel_names.h"
#include "config/app_config.h"
#include "log/my_log.h"
#include "main_messages.h"

namespace default_viewer {

namespace {

constexpr const wchar_t* kFileExtsKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.";
// The longest program id read back, in bytes with its terminating zero.
constexpr DWORD kMaxProgIdBytes = 260;

// The folder of the settings file, with its trailing backslash.
std::wstring SettingsFolder(const CAppConfig& config) {
  const std::wstring& file = config.settings_file();
  const size_t slash = file.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1);
}

}  // namespace

bool IsAssociated(const std::wstring& extension) {
  // A key name cannot hold a backslash; it would name another key.
  if (extension.empty() || extension.size() > 64 ||
      extension.find_first_of(L"\\/") != std::wstring::npos) {
    return false;
  }
  const std::wstring key = kFileExtsKey + extension + L"\\UserChoice";
  wchar_t prog_id[kMaxProgIdBytes / sizeof(wchar_t)] = {};
  DWORD size = sizeof(prog_id);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"ProgId", RRF_RT_REG_SZ, nullptr, prog_id,
                   &size) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring own = L"Lumora." + extension;
  return CompareStringOrdinal(prog_id, -1, own.c_str(), -1, TRUE) == CSTR_EQUAL;
}

IPC::Message DefaultViewerTrayMessage(int value) {
  IPC::Message message(IPC::kTrayRoutingId, IPC::kTrayAssociation, IPC::kViewerMessagePriority);
  message.WriteString("open");
  message.WriteInt(value);
  return message;
}

void SetDefaultViewer(int value, CAppConfig& config, const CAssociationModule& module,
                      const TraySender& send_to_tray) {
  value = value != 0 ? 1 : 0;
  config.user_set_default_viewer = value;
  config.Save();
  const bool called = value == 1 ? module.SetDefaultImageViewer() : module.UnInstall();
  LOG_INFO << "Default viewer " << value << (called ? "" : " (no association module)");
  if (send_to_tray) {
    send_to_tray(DefaultViewerTrayMessage(value));
  }
}

void AcceptStartPrompt(CAppConfig& config, const CAssociationModule& module,
                       const TraySender& send_to_tray) {
  const std::wstring folder = SettingsFolder(config);
  if (!folder.empty()) {
    DeleteFileW((folder + kUserAssocFileName).c_str());
  }
  config.set_default_viewer = 1;
  config.Save();
  SetDefaultViewer(1, config, module, send_to_tray);
}

void RunStartCheck(CAppConfig& config, const CAssociationModule& module, HWND main_window) {
  const int ok = module.IsAssociationOK() != 0 ? 1 : 0;
  config.set_default_viewer = ok;
  LOG_INFO << "Default viewer check: " << ok;
  if (ok == 0 && config.default_viewer_start_tip != 0 && IsWindow(main_window)) {
    PostMessageW(main_window, UM_DEFAULT_VIEWER_PROMPT, 0, 0);
  }
}

}  // namespace default_viewer

namespace {

struct CheckJob {
  HWND main_window;
  CAppConfig* config;
  CAssociationModule module;
};

unsigned __stdcall CheckThread(void* argument) {
  std::unique_ptr<CheckJob> job(static_cast<CheckJob*>(argument));
  // A mutex belongs to the thread that acquires it, so this thread takes it
  // for the length of the check and gives it back itself. Another process
  // that took it since the start-up's try wins, and the check is skipped.
  CHandle mutex(CreateMutexA(nullptr, FALSE, default_viewer::kAssociationMutexName));
  const DWORD waited = mutex ? WaitForSingleObject(mutex.get(), 0) : WAIT_FAILED;
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    LOG_INFO << "Default viewer check skipped: association work runs";
    return 0;
  }
  default_viewer::RunStartCheck(*job->config, job->module, job->main_window);
  ReleaseMutex(mutex.get());
  return 0;
}

}  // namespace

bool CStartDefaultViewerCheck::Start(HWND main_window, CAppConfig* config,
                                     CAssociationModule module) {
  if (thread_ || !config) {
    return false;
  }
  {
    CHandle mutex(CreateMutexA(nullptr, FALSE, default_viewer::kAssociationMutexName));
    const DWORD waited = mutex ? WaitForSingleObject(mutex.get(), 0) : WAIT_FAILED;
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      LOG_INFO << "Default viewer check skipped: association work runs";
      return false;
    }
    ReleaseMutex(mutex.get());
  }
  auto job = std::make_unique<CheckJob>(CheckJob{main_window, config, std::move(module)});
  const uintptr_t thread = _beginthreadex(nullptr, 0, CheckThread, job.get(), 0, nullptr);
  if (thread == 0) {
    return false;
  }
  job.release();
  thread_.Attach(reinterpret_cast<HANDLE>(thread));
  return true;
}

void CStartDefaultViewerCheck::Wait() {
  if (thread_) {
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_.Close();
  }
}
