#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/message_pump.h"
#include "toolkit/dialog_builder.h"
#include "toolkit/paint_manager.h"
#include "toolkit/skin_resources.h"
#include "toolkit/tests/zip_writer.h"
#include "toolkit/ui_control.h"
#include "toolkit/window_wnd.h"

namespace toolkit_test {

// One notification as a window received it.
struct Note {
  std::wstring type;
  std::wstring sender;
  WPARAM wparam = 0;
  LPARAM lparam = 0;
};

// A bare window around a paint manager, built from a skin held in memory:
// the toolkit without the program's window base.
class TestHost : public CWindowWnd, public INotifyUI {
 public:
  ~TestHost() override { DestroyWindowNow(); }

  // Builds skin (a Window element); extra entries go into the same archive.
  bool Open(const std::string& skin, const std::vector<ZipEntry>& extra = {},
            IDialogBuilderCallback* callback = nullptr) {
    std::vector<ZipEntry> entries = extra;
    entries.push_back({"skin.xml", skin, true});
    const std::string zip = WriteZip(entries);
    if (!Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW, RECT{100, 100, 500, 400})) {
      return false;
    }
    manager.Init(hwnd_);
    manager.SetArchive(CSkinArchive::FromMemory(zip.data(), zip.size()));
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"skin.xml", callback, &manager, &error);
    if (!root) {
      return false;
    }
    manager.AttachDialog(root);
    manager.AddNotifier(this);
    const SIZE size = manager.GetInitSize();
    if (size.cx > 0) {
      SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
    Pump(50);
    return true;
  }

  CControlUI* Find(const wchar_t* name) { return manager.FindControl(name); }

  // Moves the pointer to, presses and releases over the middle of rect.
  void ClickAt(const RECT& rect) {
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(hwnd_, WM_MOUSEMOVE, 0, at);
    SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(hwnd_, WM_LBUTTONUP, 0, at);
    Pump(10);
  }
  void Click(const wchar_t* name) { ClickAt(Find(name)->GetPos()); }
  void MoveTo(POINT point) {
    SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
    Pump(10);
  }

  // Notifications of that type so far, then forgotten.
  std::vector<Note> Take(const wchar_t* type) {
    std::vector<Note> taken;
    std::vector<Note> kept;
    for (const Note& note : notes) {
      (note.type == type ? taken : kept).push_back(note);
    }
    notes = kept;
    return taken;
  }

  static void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    test_support::PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 100);
  }

  const wchar_t* GetWindowClassName() const override { return L"ToolkitTestHost"; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    LRESULT result = 0;
    if (manager.MessageHandler(message, wparam, lparam, result)) {
      return result;
    }
    return CWindowWnd::HandleMessage(message, wparam, lparam);
  }
  void Notify(TNotifyUI& msg) override {
    notes.push_back(
        {msg.sType, msg.pSender ? msg.pSender->GetName() : L"", msg.wParam, msg.lParam});
  }

  CPaintManagerUI manager;
  std::wstring error;
  std::vector<Note> notes;
};

}  // namespace toolkit_test
