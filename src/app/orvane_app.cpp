#include "app/orvane_app.h"

#include <commctrl.h>

#include "app/app_names.h"
#include "app/command_line.h"
#include "app/crash_handler.h"
#include "app/ipc/ipc_message_mgr.h"
#include "app/ipc/ipc_receiver.h"
#include "app/named_mutex.h"
#include "app/orvanedlg.h"
#include "app/start_decision.h"
#include "app/tray_program.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "folder/current_folder_image.h"
#include "folder/system_cache.h"
#include "framework/auto_init_com.h"
#include "framework/auto_init_gdiplus.h"
#include "framework/handle.h"
#include "image/image_document.h"
#include "image/wic_factory.h"
#include "integration/companion_lib_wrapper.h"
#include "l10n/lang_string.h"
#include "log/my_log.h"
#include "popup_dialog/message_box.h"
#include "toolkit/skin_resources.h"
#include "view_render/d2d_support.h"
#include "widgets/window_title.h"

namespace {

constexpr const wchar_t* kSkinsMissingText = L"图片查看失败，请重新下载看图软件";
constexpr DWORD kAllCommonControls = 0xFF;

}  // namespace

std::wstring COrvaneApp::PrepareProcess() {
  CMyLog::GetInstance()->Open();
  CAppConfig::GetInstance();
  std::wstring name = GetLangString(L"app", L"NAME");
  return name.empty() ? std::wstring(kProductName) : name;
}

COrvaneApp::COrvaneApp() : CWinApp(PrepareProcess().c_str()) { EnsureFolders(); }

COrvaneApp::~COrvaneApp() {
  instance_receiver_.reset();
  always_receiver_.reset();
  CWindowTitle::DestroyInstance();
}

COrvaneApp* COrvaneApp::GetInstance() { return dynamic_cast<COrvaneApp*>(CWinApp::GetApp()); }

BOOL COrvaneApp::InitInstance() {
  com_.reset();
  com_ = std::make_unique<FCAutoInitializeCOM>();
  gdiplus_ = std::make_unique<FCAutoInitGDIPlus>();
  CWICFactory::Create();

  CCommandLine::GetInstance()->Parse(command_line());
  if (!DispatchStartArguments()) {
    return FALSE;
  }
  if (IsUpdatePending() && HandOverPendingUpdate()) {
    return FALSE;
  }

  InstallCrashHandler();
  INITCOMMONCONTROLSEX controls = {sizeof(controls), kAllCommonControls};
  InitCommonControlsEx(&controls);

  if (!FindSkinResources()) {
    // Built into the program, so that it shows without the skin archive.
    CMessageBox::ShowMessage(nullptr, kSkinsMissingText, 0, L"left", 1);
    ExitProcess(static_cast<UINT>(-1));
  }

  CWinApp::InitInstance();
  RefreshReceivers();

  {
    COrvaneDlg dialog;
    main_window = &dialog;
    dialog.DoModal();
    main_window = nullptr;
  }
  return FALSE;
}

bool COrvaneApp::HandOverPendingUpdate() {
  // The last error is reset first, so that a mutex that existed before is
  // told apart from a new one.
  ResetLastErrorWithMutex();
  // Only guards the decision: the viewer the tray program starts again must
  // not find it still held.
  const CHandle mutex(
      CreateMutexExW(nullptr, kUpdateHandOverMutex, 0, MUTEX_MODIFY_STATE | SYNCHRONIZE));
  const DWORD error = GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
    LOG_INFO << "Another process hands the update over";
    return true;
  }
  bool taken_over = false;
  if (!TrayProgramRuns()) {
    taken_over = StartTrayProgram(command_line() + L" --need-upgrade-privilege-now --entry=main" +
                                  L" --from=main");
    LOG_INFO << "Update hand-over to the tray program: " << (taken_over ? 1 : 0);
  }
  return taken_over;
}

bool COrvaneApp::FindSkinResources() {
  skin_folder_ = CAppConfig::GetProgramFolder() + L"resources";
  skin_resources::SetResourceInstance(instance());
  skin_resources::SetResourcePath(skin_folder_);
  skin_resources::SetResourceZip(kSkinArchiveName);
  skin_resources::SetTextResolver([](const std::wstring& section, const std::wstring& key) {
    return GetLangString(section.c_str(), key.c_str());
  });
  return win_util::PathExists(skin_folder_) &&
         win_util::PathExists(skin_folder_ + L"\\" + kSkinArchiveName);
}

void COrvaneApp::RefreshReceivers() {
  if (CAppConfig::GetInstance()->only_one_instance) {
    if (!instance_receiver_) {
      instance_receiver_ = std::make_unique<CIPCReceiver>();
    }
  } else {
    instance_receiver_.reset();
  }
  if (!always_receiver_) {
    always_receiver_ = std::make_unique<CIPCAlwaysReceiver>();
  }
}

int COrvaneApp::ExitInstance() {
  // The document first: its background work may still use the others.
  CImageDocument::Instance()->Close();
  CImageDocument::DestroyInstance();
  CSystemCache::DestroyInstance();
  CCurrentFolderImage::DestroyInstance();
  CleanTempFolder();
  view_render::CD2DFactory::Release();
  CWICFactory::Release();
  gdiplus_.reset();
  com_.reset();
  CCompanionLibWrapper::DestroyInstance();
  CIPCMessageMgr::DestroyInstance();
  CMyLog::DestroyInstance();
  CCommandLine::DestroyInstance();
  CAppConfig::DestroyInstance();
  return CWinApp::ExitInstance();
}
