#include "tray/tray_window.h"

#include <utility>

namespace {

constexpr int kIconResourceId = 128;

bool UsesChinese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE; }

}  // namespace

CTrayWindow::CTrayWindow(Actions actions) : actions_(std::move(actions)) {}

CTrayWindow::~CTrayWindow() {
  RemoveIcon();
  DestroyWindowNow();
  if (icon_) {
    DestroyIcon(icon_);
  }
}

bool CTrayWindow::Create(HINSTANCE instance) {
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconResourceId), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  // A hidden top-level window: message-only windows miss the TaskbarCreated
  // broadcast that asks for the icon again after Explorer restarts.
  CreateArgs args;
  args.class_name = kClassName;
  args.title = L"Lumora";
  args.style = WS_POPUP;
  args.ex_style = WS_EX_TOOLWINDOW;
  args.class_style = 0;
  args.icon = icon_;
  if (!Create(args)) {
    return false;
  }
  AddIcon();
  return true;
}

void CTrayWindow::Quit() {
  if (hwnd_) {
    PostMessageW(hwnd_, kQuitMessage, 0, 0);
  }
}

void CTrayWindow::AddIcon() {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd_;
  data.uID = kIconId;
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = kIconMessage;
  data.hIcon = icon_;
  wcscpy_s(data.szTip, L"Lumora");
  icon_added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void CTrayWindow::RemoveIcon() {
  if (!icon_added_) {
    return;
  }
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof(data);
  data.hWnd = hwnd_;
  data.uID = kIconId;
  Shell_NotifyIconW(NIM_DELETE, &data);
  icon_added_ = false;
}

void CTrayWindow::ShowMenu() {
  HMENU menu = CreatePopupMenu();
  if (!menu) {
    return;
  }
  const bool chinese = UsesChinese();
  AppendMenuW(menu, MF_STRING, kCommandOpenViewer,
              chinese ? L"\u6253\u5f00 Lumora" : L"Open Lumora");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCommandExit, chinese ? L"\u9000\u51fa" : L"Exit");
  SetMenuDefaultItem(menu, kCommandOpenViewer, FALSE);
  POINT cursor = {};
  GetCursorPos(&cursor);
  // Without the foreground the menu would not close when the user clicks
  // elsewhere.
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, hwnd_, nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

void CTrayWindow::PostNcDestroy() { PostQuitMessage(0); }

bool CTrayWindow::OnCommand(UINT id, UINT, HWND) {
  if (id == kCommandOpenViewer) {
    actions_.open_viewer();
  } else if (id == kCommandExit) {
    actions_.exit_by_user();
    Quit();
  }
  return true;
}

LRESULT CTrayWindow::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == taskbar_created_ && taskbar_created_ != 0) {
    AddIcon();
    return 0;
  }
  switch (message) {
    case kIconMessage:
      switch (static_cast<UINT>(lparam)) {
        case WM_LBUTTONDBLCLK:
          actions_.open_viewer();
          break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU:
          ShowMenu();
          break;
        default:
          break;
      }
      return 0;
    case kQuitMessage:
      RemoveIcon();
      ::DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) {
        RemoveIcon();
      }
      return 0;
    case WM_CLOSE:
      // Only the menu or a viewer ends the program.
      return 0;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}
