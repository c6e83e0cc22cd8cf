#include "app/orvanedlg.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "app/app_names.h"
#include "app/command_line.h"
#include "app/hand_over_text.h"
#include "app/ipc/channel_names.h"
#include "app/ipc/ipc_message_mgr.h"
#include "app/orvane_app.h"
#include "app/tray_program.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "folder/current_folder_image.h"
#include "folder/folder_scan.h"
#include "image/image_document.h"
#include "image/image_format.h"
#include "integration/companion_lib_wrapper.h"
#include "integration/stat_reporter.h"
#include "log/my_log.h"
#include "resource_ids.h"
#include "widgets/window_title.h"

namespace {

// Keyboard and mouse-button input (pointer moves aside), which can reach
// the document through commands, the view or the title strip.
bool IsDocumentInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_LBUTTONDOWN && message <= WM_MOUSELAST);
}

constexpr UINT_PTR kExitTimer = 4096;
constexpr UINT_PTR kTrayTimer = 4097;
constexpr UINT_PTR kStartStatTimer = 4098;

constexpr UINT kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP;

// SetWindowPos flags that move or resize without side effects.
constexpr UINT kQuietMove = SWP_NOZORDER | SWP_NOACTIVATE;

void SendToTray(const IPC::Message& message) { CIPCMessageMgr::GetInstance()->Send(message); }

}  // namespace

COrvaneDlg::COrvaneDlg() : CDialog(IDD_MAIN_FRAME, nullptr), toolbar_(CurrentPictureState) {
  CDialog::RegisterDialogClassCopy(kMainFrameClassName);
  toolbar_.set_stat_reporter(
      [](const wchar_t* category, const wchar_t* name) { CStatReporter::Send(category, name); });
  background_brush_.CreateSolidBrush(RGB(39, 39, 39));
}

COrvaneDlg::~COrvaneDlg() {
  // Drops the resize jobs not started and waits for a running one.
  resize_worker_.reset();
  // Waits for a feedback upload still under way.
  feedback_dialog_.reset();
  convert_box_.reset();
  DestroyWindowNow();
  // The check thread writes to the settings, which outlive this window.
  default_viewer_check_.Wait();
}

BOOL COrvaneDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  // Hand-over, dropped files and the drag-and-drop helper message also
  // from processes of lower integrity.
  for (UINT message : {0x004Au, 0x0233u, 0x0049u}) {
    win_util::AllowMessageForWindow(hwnd_, message);
  }

  CAppConfig::GetInstance()->RestoreWindowPlacement(hwnd_);

  HINSTANCE instance = GetModuleHandleW(nullptr);
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXICON),
                                                   GetSystemMetrics(SM_CYICON), 0)));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0)));

  CImageDocument::Instance()->SetMainWindow(hwnd_);
  {
    const RECT client = GetClientRect();
    image_view_.Create(
        hwnd_, IDC_IMAGE_VIEW,
        ImageViewRect(client.right, client.bottom, CAppConfig::GetInstance()->toolbar_dock != 0),
        kChildStyle);
  }
  {
    const RECT client = GetClientRect();
    toolbar_.Create(
        hwnd_, IDC_TOOLBAR,
        ToolbarRect(client.right, client.bottom, CAppConfig::GetInstance()->toolbar_dock != 0),
        kChildStyle);
    // Until a picture arrives only the rules without one hold.
    toolbar_.RefreshAll();
  }
  logo_.Create(hwnd_, IDC_LOGO, {9, 6, 103, 30}, kChildStyle);
  menu_bar_.Create(hwnd_, IDC_MENU_BAR, {0, 1, 30, 31}, kChildStyle);

  // The first statistic loads common.dll; without it the process ends here.
  CStatReporter::Send(L"main", L"open");

  PostMessageW(hwnd_, UM_STARTUP_OPEN, 0, 0);
  DragAcceptFiles(hwnd_, TRUE);
  quit_message_ = RegisterWindowMessageW(L"Lumora_quit_broadcast_msg");
  accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAIN_ACCELERATORS));

  CCommandLine* command_line = CCommandLine::GetInstance();
  if (command_line->HasSwitch(L"--setting")) {
    PostMessageW(hwnd_, WM_COMMAND, ID_SETTINGS, 0);
  } else if (command_line->HasSwitch(L"--LockscreenSet")) {
    PostMessageW(hwnd_, UM_SETTINGS_PAGE4, 0, 0);
  }

  HWND title = GetDlgItem(hwnd_, IDC_TITLE_TEXT);
  SetWindowLongPtrW(title, GWL_STYLE, GetWindowLongPtrW(title, GWL_STYLE) | SS_CENTERIMAGE);
  SetWindowPos(title, nullptr, 105, 1, 0, 29, kQuietMove);
  SetWindowTextW(title, L"");
  ShowWindow(title, SW_SHOW);
  CreateTitleFonts();
  close_button_.Attach(IDC_CLOSE_BUTTON, hwnd_);
  close_button_.LoadFromResource(IDB_BUTTON_CLOSE, 3);
  maximize_button_.Attach(IDC_MAXIMIZE_BUTTON, hwnd_);
  maximize_button_.LoadFromResource(IDB_BUTTON_RESTORE, 3);
  minimize_button_.Attach(IDC_MINIMIZE_BUTTON, hwnd_);
  minimize_button_.LoadFromResource(IDB_BUTTON_MINIMIZE, 3);
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~WS_CAPTION);
  SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);

  CWindowTitle::GetInstance()->SetMainWindow(hwnd_);
  CWindowTitle::GetInstance()->Refresh();

  CIPCMessageMgr* channel = CIPCMessageMgr::GetInstance();
  channel->Connect();
  channel->AddListener(this);

  SetForegroundWindow(hwnd_);
  SetTimer(hwnd_, kTrayTimer, 1000, nullptr);
  SetTimer(hwnd_, kStartStatTimer, 1000, nullptr);

  CAppConfig* config = CAppConfig::GetInstance();
  config->quick_index_value =
      CCompanionLibWrapper::GetInstance()->GetQuickIndexState(config->quick_index_value);
  return TRUE;
}

void COrvaneDlg::CreateTitleFonts() {
  LOGFONTW face = {};
  face.lfHeight = -12;
  face.lfWeight = FW_NORMAL;
  face.lfCharSet = DEFAULT_CHARSET;
  face.lfQuality = CLEARTYPE_QUALITY;
  wcscpy_s(face.lfFaceName, L"微软雅黑");
  title_font_.CreateFontIndirect(face);
  face.lfWeight = FW_BOLD;
  title_font_bold_.CreateFontIndirect(face);
  SendMessageW(GetDlgItem(hwnd_, IDC_TITLE_TEXT), WM_SETFONT,
               reinterpret_cast<WPARAM>(title_font_.get()), FALSE);
}

BOOL COrvaneDlg::PreTranslateMessage(MSG* msg) {
  // While the resize job reads the shown picture's loader, nothing else may
  // use the loader: keys, clicks and the wheel in the window are dropped.
  if (resize_running_ && IsDocumentInput(msg->message) &&
      (msg->hwnd == hwnd_ || IsChild(hwnd_, msg->hwnd))) {
    return TRUE;
  }
  if (accelerators_ && TranslateAcceleratorW(hwnd_, accelerators_, msg)) {
    return TRUE;
  }
  if (msg->message == WM_CHAR) {
    return TRUE;
  }
  // The wheel over the toolbar or the title strip still zooms the picture.
  if (msg->message == WM_MOUSEWHEEL && msg->hwnd != image_view_.GetSafeHwnd() &&
      GetParent(msg->hwnd) == hwnd_ && image_view_.IsWindow()) {
    SendMessageW(image_view_, WM_MOUSEWHEEL, msg->wParam, msg->lParam);
  }
  if (msg->message == quit_message_ && quit_message_ != 0) {
    ClosePopups();
    if (convert_box_ && convert_box_->GetHWND()) {
      SendMessageW(convert_box_->GetHWND(), WM_CLOSE, 0, 0);
    }
    EndDialog(IDCANCEL);
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

void COrvaneDlg::OnCancel() {
  if (IsFullScreen()) {
    SendMessageW(hwnd_, WM_COMMAND, ID_FULL_SCREEN, 0);
    return;
  }
  EndDialog(IDCANCEL);
}

void COrvaneDlg::StartOrderlyClose() {
  closing_ = true;
  PostMessageW(hwnd_, quit_message_, 0, 0);
  SendMessageW(hwnd_, WM_CLOSE, 0, 0);
  SetTimer(hwnd_, kExitTimer, 1000, nullptr);
}

bool COrvaneDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case kExitTimer:
      ExitProcess(0);
    case kTrayTimer:
      KillTimer(hwnd_, id);
      LaunchTrayProgram(L"");
      break;
    case kStartStatTimer:
      KillTimer(hwnd_, id);
      SendStartStatistic();
      break;
    default:
      break;
  }
  return true;
}

void COrvaneDlg::SendStartStatistic() {
  std::wstring from;
  CCommandLine::GetInstance()->GetSwitchValue(L"from", from);
  CStatReporter::Send(L"main", L"open_" + CCommandLine::StartSourceTag(from));
}

void COrvaneDlg::OnClose() {
  // Outside an orderly close, full screen only leaves full screen: the
  // window stays, and so must the tray program.
  const bool stays_open = IsFullScreen() && !closing_;
  // The popups go with the window (the default-viewer prompt's own loop would
  // otherwise keep it until answered), and stay when only full screen ends.
  if (!stays_open) {
    // From the first close request on, a picture handed over would be lost
    // with the window: refused, its sender shows it itself.
    closing_ = true;
    ClosePopups();
  }
  CDialog::WindowProc(WM_CLOSE, 0, 0);
  if (!stays_open && CAppConfig::GetInstance()->completely_exit) {
    COrvaneApp::CompleteExit();
  }
}

void COrvaneDlg::ApplyDefaultViewer(int value) {
  default_viewer::SetDefaultViewer(value, *CAppConfig::GetInstance(), CAssociationModule(),
                                   SendToTray);
}

void COrvaneDlg::OnDefaultViewerPrompt() {
  if (default_viewer_dialog_ && default_viewer_dialog_->GetHWND()) {
    return;
  }
  CAppConfig* config = CAppConfig::GetInstance();
  default_viewer_dialog_ =
      std::make_unique<DlgSetDefaultViewer2>(&config->default_viewer_start_tip);
  const UINT result = default_viewer_dialog_->DoModal(hwnd_);
  default_viewer_dialog_.reset();
  if (result == DlgSetDefaultViewer2::kAccepted) {
    default_viewer::AcceptStartPrompt(*config, CAssociationModule(), SendToTray);
  }
}

void COrvaneDlg::OnQuickIndexChanged(LPARAM state) {
  CCompanionLibWrapper::GetInstance()->SetQuickIndexState(static_cast<int>(state));
  IPC::Message message = CIPCMessageMgr::TrayMessage(IPC::kTrayQuickIndex);
  message.WriteInt(state != 0 ? 1 : 0);
  CIPCMessageMgr::GetInstance()->Send(message);
}

void COrvaneDlg::OnMessageReceived(const IPC::Message& message) {
  if (message.type() == IPC::kTrayQuit) {
    StartOrderlyClose();
  }
}

int32_t COrvaneDlg::GetRoutingId() { return IPC::kMainWindowRoutingId; }

void COrvaneDlg::OnPeerGone(bool) {}

void COrvaneDlg::CloseChannel() {
  if (CIPCMessageMgr* channel = CIPCMessageMgr::GetInstance()) {
    channel->RemoveListener(this);
    channel->Close();
  }
}

void COrvaneDlg::ToggleAlwaysOnTop() {
  const bool topmost = (GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  SetWindowPos(hwnd_, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void COrvaneDlg::SetToolbarDock(int dock) {
  CAppConfig::GetInstance()->toolbar_dock = dock;
  LayoutChildren();
  Invalidate();
}

void COrvaneDlg::BringForward() {
  if (IsIconic(hwnd_)) {
    ShowWindow(hwnd_, SW_RESTORE);
  } else {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void COrvaneDlg::OpenPath(const std::wstring& path) {
  if (win_util::FolderExists(path)) {
    // Listed on the folder list's scan thread: a large or slow folder must
    // not hold this window, or a process that handed it over.
    CCurrentFolderImage::GetInstance()->OpenFolder(hwnd_, path);
    return;
  }
  OpenPicture(path);
}

void COrvaneDlg::OpenPicture(const std::wstring& path) {
  CImageDocument::Instance()->Open(path);
  if (image_view_.IsWindow()) {
    image_view_.OnImageChanged();
  }
}

void COrvaneDlg::OnFolderPictureFound() {
  const std::wstring path = CCurrentFolderImage::GetInstance()->TakeFoundPicture();
  if (!path.empty()) {
    OpenPicture(path);
  }
}

void COrvaneDlg::OnStartupOpen() {
  UpdateWindow(hwnd_);
  // An empty path shows the welcome screen.
  OpenPath(CCommandLine::GetInstance()->GetImagePath());
  default_viewer_check_.Start(hwnd_, CAppConfig::GetInstance(), CAssociationModule());
}

void COrvaneDlg::OnOpenHandedOver(const wchar_t* path) {
  if (IsIconic(hwnd_)) {
    ShowWindow(hwnd_, SW_RESTORE);
  }
  HWND foreground = GetForegroundWindow();
  const DWORD foreground_thread = GetWindowThreadProcessId(foreground, nullptr);
  const DWORD this_thread = GetCurrentThreadId();
  const bool attached =
      foreground_thread != this_thread && AttachThreadInput(this_thread, foreground_thread, TRUE);
  BringWindowToTop(hwnd_);
  SetForegroundWindow(hwnd_);
  if (attached) {
    AttachThreadInput(this_thread, foreground_thread, FALSE);
  }
  if (path) {
    OpenPath(path);
  }
}

LRESULT COrvaneDlg::OnCopyData(const COPYDATASTRUCT* data) {
  if (closing_) {
    return 0;
  }
  if (!data || data->dwData != kHandOverTag) {
    return Default();
  }
  if (!data->lpData) {
    return 0;
  }
  const std::wstring text = HandOverText(data->lpData, data->cbData);

  CCommandLine received;
  received.Parse(text);
  if (received.HasSwitch(L"setting")) {
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(hwnd_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PostMessageW(hwnd_, WM_COMMAND, ID_SETTINGS, 0);
    return 1;
  }
  if (received.HasSwitch(L"show-existing")) {
    BringForward();
    return 1;
  }
  if (received.HasSwitch(L"LockscreenSet")) {
    LOG_INFO << "Post LockscreenSet";
    PostMessageW(hwnd_, UM_SETTINGS_PAGE4, 0, 0);
    return 1;
  }
  if (!text.empty() && win_util::PathExists(text)) {
    SendMessageW(hwnd_, UM_OPEN_HANDED_OVER, reinterpret_cast<WPARAM>(text.c_str()), 0);
    return 1;
  }
  BringForward();
  return 1;
}

void COrvaneDlg::OnDropFiles(HDROP drop) {
  wchar_t path[MAX_PATH + 1] = {};
  const UINT length = DragQueryFileW(drop, 0, path, MAX_PATH + 1);
  DragFinish(drop);
  if (length == 0 || length > MAX_PATH) {
    return;
  }
  if (GetImageFormatClass(path) != kFormatNone) {
    OpenPath(path);
  }
}

bool COrvaneDlg::OnCommand(UINT id, UINT code, HWND control) {
  if (id == IDOK || id == IDCANCEL) {
    return CDialog::OnCommand(id, code, control);
  }
  RunCommand(id);
  return true;
}

void COrvaneDlg::RunCommand(UINT id) {
  if (OnPictureCommand(id)) {
    return;
  }
  switch (id) {
    case ID_FULL_SCREEN:
      ToggleFullScreen();
      break;
    case ID_ALWAYS_ON_TOP:
      ToggleAlwaysOnTop();
      break;
    case ID_WHEEL_PAGE:
    case ID_WHEEL_ZOOM: {
      CAppConfig* config = CAppConfig::GetInstance();
      config->mouse_wheel_action = id == ID_WHEEL_PAGE ? 0 : 1;
      config->show_wheel_favorite = 0;
      break;
    }
    case ID_MAIN_MENU:
      menu_bar_.OpenMenu();
      break;
    case ID_TOGGLE_DEFAULT_VIEWER: {
      CAppConfig* config = CAppConfig::GetInstance();
      config->set_default_viewer = config->set_default_viewer != 0 ? 0 : 1;
      ApplyDefaultViewer(config->set_default_viewer);
      break;
    }
    case ID_ABOUT:
      ShowAbout();
      break;
    case ID_TOOLBAR_TOP:
      SetToolbarDock(0);
      break;
    case ID_TOOLBAR_BOTTOM:
      SetToolbarDock(1);
      break;
    case IDC_CLOSE_BUTTON:
      StartOrderlyClose();
      break;
    case IDC_MAXIMIZE_BUTTON:
      SendMessageW(hwnd_, WM_SYSCOMMAND, IsZoomed(hwnd_) ? SC_RESTORE : SC_MAXIMIZE, 0);
      break;
    case IDC_MINIMIZE_BUTTON:
      SendMessageW(hwnd_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    default:
      break;
  }
}

LRESULT COrvaneDlg::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lparam));
      return 0;
    case WM_NCHITTEST:
      return OnNcHitTest(lparam);
    case WM_CTLCOLORSTATIC:
      return OnCtlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_COPYDATA:
      return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case WM_QUERYENDSESSION:
      StartOrderlyClose();
      return TRUE;
    case UM_STARTUP_OPEN:
      OnStartupOpen();
      return 0;
    case UM_OPEN_HANDED_OVER:
      OnOpenHandedOver(reinterpret_cast<const wchar_t*>(wparam));
      return 0;
    case UM_FOLDER_PICTURE_FOUND:
      OnFolderPictureFound();
      return 0;
    case UM_MAIN_MENU_CHOICE:
      switch (wparam) {
        case ID_OPEN:
        case ID_ALWAYS_ON_TOP:
        case ID_SETTINGS:
        case ID_ABOUT:
        case ID_FEEDBACK:
        case ID_WHEEL_PAGE:
        case ID_WHEEL_ZOOM:
        case ID_TOGGLE_DEFAULT_VIEWER:
          RunCommand(static_cast<UINT>(wparam));
          break;
        default:
          break;
      }
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case UM_SETTINGS_PAGE4:
      if (settings_dialog_) {
        settings_dialog_->SelectStartPage();
      } else {
        OpenSettings(4);
      }
      return 0;
    case UM_FEEDBACK_CLOSED:
      feedback_dialog_.reset();
      return 0;
    case UM_QUICK_INDEX_CHANGED:
      OnQuickIndexChanged(lparam);
      return 0;
    case UM_DEFAULT_VIEWER_PROMPT:
      OnDefaultViewerPrompt();
      return 0;
    case UM_DEFAULT_VIEWER_STATE: {
      // The menu's check mark follows what another program applied.
      const int value = lparam != 0 ? 1 : 0;
      CAppConfig::GetInstance()->set_default_viewer = value;
      ApplyDefaultViewer(value);
      return 0;
    }
    case UM_TITLE_WIDTH:
      OnTitleWidth(static_cast<int>(wparam), static_cast<int>(lparam));
      return 0;
    case WM_MOVING:
    case WM_MOVE:
      // WM_MOVING comes before the move; WM_MOVE after it, also for moves
      // made by program.
      toolbar_.PlaceInfoWindow();
      break;
    case WM_ENTERSIZEMOVE:
      image_view_.OnEnterSizeMove();
      break;
    case WM_EXITSIZEMOVE:
      image_view_.OnExitSizeMove();
      break;
    case UM_REFRESH_ALL:
      if (toolbar_.IsWindow()) {
        toolbar_.Invalidate();
      }
      if (image_view_.IsWindow()) {
        image_view_.OnImageChanged();
      }
      return 0;
    case UM_RESIZE_DONE:
      OnResizeDone(wparam != 0, lparam != 0);
      return 0;
    case WM_DESTROY:
      CAppConfig::GetInstance()->SaveWindowPlacement(hwnd_);
      CAppConfig::GetInstance()->Save();
      CloseChannel();
      image_view_.DestroyWindowNow();
      break;
    default:
      break;
  }
  return CDialog::WindowProc(message, wparam, lparam);
}

void COrvaneDlg::OnTitleWidth(int width, int height) {
  logo_.Switch(CWindowTitle::GetInstance()->HasFileName());
  const RECT logo_client = logo_.GetClientRect();
  HWND title = GetDlgItem(hwnd_, IDC_TITLE_TEXT);
  SetWindowPos(title, nullptr, logo_client.right + 16, 1, width, height, kQuietMove);
  ::InvalidateRect(title, nullptr, TRUE);
}

void COrvaneDlg::ShowAbout() {
  if (!about_dialog_) {
    about_dialog_ = std::make_unique<DlgAbout2>();
  }
  if (about_dialog_->GetHWND()) {
    return;
  }
  about_dialog_->DoModal(hwnd_);
  about_dialog_.reset();
}
