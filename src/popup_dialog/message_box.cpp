#include "popup_dialog/message_box.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "framework/gdi_objects.h"
#include "framework/wnd.h"

namespace {

// The texts are mostly Chinese; the dialog font of some systems has no
// such glyphs, so the box uses the font the rest of the program uses.
HFONT CreateTextFont(HWND box) {
  LOGFONTW face = {};
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0));
  if (!current || !GetObjectW(current, sizeof(face), &face)) {
    face.lfHeight = -12;
  }
  // The character set makes the font mapper pick a face with the glyphs
  // where this one is missing.
  face.lfCharSet = GB2312_CHARSET;
  wcscpy_s(face.lfFaceName, L"微软雅黑");
  return CreateFontIndirectW(&face);
}

struct CBoxParts {
  HWND text = nullptr;
  std::vector<HWND> buttons;
};

BOOL CALLBACK CollectPart(HWND child, LPARAM parts) {
  auto* found = reinterpret_cast<CBoxParts*>(parts);
  wchar_t class_name[16] = {};
  GetClassNameW(child, class_name, 16);
  if (lstrcmpiW(class_name, L"Button") == 0) {
    found->buttons.push_back(child);
  } else if (lstrcmpiW(class_name, L"Static") == 0 && GetWindowTextLengthW(child) > 0 &&
             !found->text) {
    found->text = child;
  }
  return TRUE;
}

RECT ChildRect(HWND box, HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Gives the box font, then grows the text and the box to what the text
// needs in it (the platform measured it with its own font).
void ApplyFont(HWND box, HFONT font) {
  CBoxParts parts;
  EnumChildWindows(box, CollectPart, reinterpret_cast<LPARAM>(&parts));
  for (HWND button : parts.buttons) {
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (!parts.text) {
    return;
  }
  SendMessageW(parts.text, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const int length = GetWindowTextLengthW(parts.text);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(parts.text, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));

  const RECT old_rect = ChildRect(box, parts.text);
  const int old_width = old_rect.right - old_rect.left;
  const int old_height = old_rect.bottom - old_rect.top;
  RECT needed = {};
  {
    CClientDC dc(parts.text);
    CSelectObject select(dc, font);
    const int limit = std::max(old_width, MulDiv(420, GetDeviceCaps(dc, LOGPIXELSX), 96));
    needed = {0, 0, limit, 0};
    DrawTextW(dc, text.c_str(), length, &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
  }
  const int grow_x = std::max(0, static_cast<int>(needed.right) - old_width);
  const int grow_y = std::max(0, static_cast<int>(needed.bottom) - old_height);
  if (grow_x == 0 && grow_y == 0) {
    return;
  }
  SetWindowPos(parts.text, nullptr, 0, 0, old_width + grow_x, old_height + grow_y,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (HWND button : parts.buttons) {
    const RECT rect = ChildRect(box, button);
    SetWindowPos(button, nullptr, rect.left + grow_x / 2, rect.top + grow_y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT box_rect = {};
  GetWindowRect(box, &box_rect);
  SetWindowPos(box, nullptr, 0, 0, box_rect.right - box_rect.left + grow_x,
               box_rect.bottom - box_rect.top + grow_y, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOn(HWND box, HWND owner) {
  RECT box_rect = {};
  GetWindowRect(box, &box_rect);
  const int width = box_rect.right - box_rect.left;
  const int height = box_rect.bottom - box_rect.top;
  RECT anchor = {};
  HMONITOR monitor = nullptr;
  if (owner && IsWindow(owner)) {
    GetWindowRect(owner, &anchor);
    monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
  } else {
    monitor = MonitorFromWindow(box, MONITOR_DEFAULTTOPRIMARY);
  }
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  if (!owner) {
    anchor = info.rcWork;
  }
  // Centred on the owner, but never pushed off the owner's screen.
  int x = anchor.left + (anchor.right - anchor.left - width) / 2;
  int y = anchor.top + (anchor.bottom - anchor.top - height) / 2;
  x = std::max(static_cast<int>(info.rcWork.left),
               std::min(x, static_cast<int>(info.rcWork.right) - width));
  y = std::max(static_cast<int>(info.rcWork.top),
               std::min(y, static_cast<int>(info.rcWork.bottom) - height));
  SetWindowPos(box, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Gives the button its text, wider where the text needs it, keeping its
// centre.
BOOL CALLBACK RenameButton(HWND child, LPARAM text) {
  wchar_t class_name[16] = {};
  GetClassNameW(child, class_name, 16);
  if (lstrcmpiW(class_name, L"Button") != 0) {
    return TRUE;
  }
  const auto* caption = reinterpret_cast<const wchar_t*>(text);
  SetWindowTextW(child, caption);
  SIZE extent = {};
  int padding = 0;
  {
    CClientDC dc(child);
    CSelectObject select(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, caption, lstrlenW(caption), &extent);
    padding = MulDiv(24, GetDeviceCaps(dc, LOGPIXELSX), 96);
  }
  HWND box = GetParent(child);
  const RECT rect = ChildRect(box, child);
  const int width = rect.right - rect.left;
  const int needed = extent.cx + padding;
  if (needed > width) {
    SetWindowPos(child, nullptr, rect.left - (needed - width) / 2, rect.top, needed,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return FALSE;
}

// The platform's message box, bound as it is created: its font, button text
// and place are set after the platform has laid it out, before it shows.
class CBoxWindow : public CWnd {
 public:
  CBoxWindow(HWND owner, const std::wstring& button_text)
      : owner_(owner), button_text_(button_text) {}

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message != WM_INITDIALOG) {
      return CWnd::WindowProc(message, wparam, lparam);
    }
    const LRESULT result = Default();
    font_.Attach(CreateTextFont(hwnd_));
    if (!font_.IsEmpty()) {
      ApplyFont(hwnd_, font_);
    }
    if (!button_text_.empty()) {
      EnumChildWindows(hwnd_, RenameButton, reinterpret_cast<LPARAM>(button_text_.c_str()));
    }
    CentreOn(hwnd_, owner_);
    return result;
  }

  HHOOK hook = nullptr;

 private:
  HWND owner_;
  const std::wstring& button_text_;
  // Kept past the box, whose controls use it until they are gone.
  CFont font_;
};

thread_local CBoxWindow* t_box = nullptr;

// Catches the box as it is created, the first dialog window of this thread.
LRESULT CALLBACK SetupHook(int code, WPARAM wparam, LPARAM lparam) {
  CBoxWindow* box = t_box;
  if (!box) {
    return 0;
  }
  if (code == HCBT_CREATEWND) {
    HWND window = reinterpret_cast<HWND>(wparam);
    wchar_t class_name[16] = {};
    GetClassNameW(window, class_name, 16);
    if (lstrcmpW(class_name, L"#32770") == 0) {
      box->SubclassWindow(window);
      UnhookWindowsHookEx(box->hook);
      box->hook = nullptr;
      return 0;
    }
  }
  return CallNextHookEx(box->hook, code, wparam, lparam);
}

}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& button_text) {
  ASSERT_UI_THREAD();
  if (owner && !IsWindow(owner)) {
    owner = nullptr;
  }
  CBoxWindow box(owner, button_text);
  box.hook = SetWindowsHookExW(WH_CBT, SetupHook, nullptr, GetCurrentThreadId());
  t_box = &box;
  const int result = MessageBoxW(owner, text.c_str(), L"Lumora", MB_OK | MB_ICONINFORMATION);
  t_box = nullptr;
  if (box.hook) {
    UnhookWindowsHookEx(box.hook);
  }
  return result;
}
