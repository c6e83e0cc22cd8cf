#include "framework/dialog.h"

CDialog::CDialog(UINT template_id, HWND parent) : parent_(parent), template_id_(template_id) {}

CDialog::CDialog(const void* memory_template, HWND parent)
    : parent_(parent), memory_template_(memory_template) {}

bool CDialog::RegisterDialogClassCopy(const wchar_t* new_class) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(instance, new_class, &wc)) {
    return true;
  }
  if (!GetClassInfoExW(nullptr, WC_DIALOG, &wc)) {
    return false;
  }
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance;
  wc.lpszClassName = new_class;
  return RegisterClassExW(&wc) != 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lparam) {
  if (message != WM_INITDIALOG) {
    return FALSE;
  }
  // Bound here, so the object sees everything from WM_INITDIALOG on.
  auto* self = reinterpret_cast<CDialog*>(lparam);
  self->SubclassWindow(hwnd);
  return self->OnInitDialog();
}

INT_PTR CDialog::DoModal() {
  ASSERT_UI_THREAD();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ended_ = false;
  result_ = -1;
  // Disabled before creation, so the dialog's initialisation already runs
  // as a modal one.
  const bool parent_was_enabled = parent_ && IsWindowEnabled(parent_);
  if (parent_was_enabled) {
    EnableWindow(parent_, FALSE);
  }
  HWND hwnd =
      memory_template_
          ? CreateDialogIndirectParamW(instance, static_cast<LPCDLGTEMPLATEW>(memory_template_),
                                       parent_, DialogProc, reinterpret_cast<LPARAM>(this))
          : CreateDialogParamW(instance, MAKEINTRESOURCEW(template_id_), parent_, DialogProc,
                               reinterpret_cast<LPARAM>(this));
  if (!hwnd) {
    if (parent_was_enabled) {
      EnableWindow(parent_, TRUE);
    }
    return -1;
  }
  if (!ended_ && !(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE)) {
    ShowWindow(hwnd, SW_SHOWNORMAL);
  }

  running_ = true;
  MSG msg;
  while (!ended_ && ::IsWindow(hwnd)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT belongs to the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) {
      // A message could not be received, such as a too large WM_COPYDATA
      // from another process under Wine; it is lost, the dialog goes on.
      continue;
    }
    if (!WalkPreTranslateTree(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  running_ = false;

  if (parent_was_enabled) {
    EnableWindow(parent_, TRUE);
    SetActiveWindow(parent_);
  }
  DestroyWindowNow();
  return result_;
}

void CDialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  // Wakes the loop if it is waiting.
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool CDialog::OnCommand(UINT id, UINT code, HWND) {
  if (code != 0) {
    return false;
  }
  switch (id) {
    case IDOK:
      OnOK();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    OnCancel();
    return 0;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    return IsDialogMessageW(hwnd_, msg);
  }
  return FALSE;
}
