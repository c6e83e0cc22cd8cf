#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/wnd.h"
#include "l10n/multi_language_loader.h"
#include "popup_dialog/dlg_base.h"
#include "toolkit/ui_edit.h"

class CAppConfig;
class CIPCMessageMgr;
class COptionUI;

// An edit whose text is centred; the settings skin names it "CenterEdit".
class CCenterTxtEdit : public CEditUI {
 public:
  const wchar_t* GetClass() const override { return L"CenterEditUI"; }
};

// The system's hotkey control with the dialog's own look and capture rules:
// a bare key becomes Control+Alt+key, Return ends the capture.
class CHotkeyCaptureWnd : public CWnd {
 public:
  // Called when the capture ends (focus lost); the value is the control's.
  std::function<void(int value)> on_capture_end;

  bool CreateOver(HWND parent, HFONT font, int value);
  int GetValue() const;
  void SetValue(int value);
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void Paint();
  void ApplyCaptureRule();
  bool focused_ = false;
};

// The preferences dialog: mouse and view behaviour, saving quality, file
// types, the screenshot hotkey and the lock-screen slideshow. Most choices
// change the in-memory settings at once; a few save the settings file or
// tell the tray program. File-type changes are handed to the association
// module when the dialog is destroyed.
class DlgSetting2 : public CDlgBase, public CMultiLanguageLoader {
 public:
  // start_page 0 keeps the skin's first page, 4 opens the lock-screen page.
  // config is the settings store (the process-wide one when null).
  explicit DlgSetting2(int start_page, CAppConfig* config = nullptr);
  ~DlgSetting2() override;

  const wchar_t* GetWindowClassName() const override { return L"DlgSetting2"; }
  std::wstring GetSkinFile() override { return L"setting.xml"; }

  // Where the collaborators are; by default the program's own.
  void set_channel(CIPCMessageMgr* channel) { channel_ = channel; }
  void set_association_module(const std::wstring& path) { association_module_ = path; }
  void set_notify_window(HWND window) { notify_window_ = window; }
  void set_refresh_receivers(std::function<void()> refresh) { refresh_receivers_ = refresh; }

  // Shows the page the dialog was opened on again (the lock-screen request
  // while open), page 0 included.
  void SelectStartPage();

  int redraw() const { return redraw_; }
  int hotkey_value() const { return hotkey_value_; }
  const std::wstring& hotkey_text() const { return hotkey_text_; }
  HWND hotkey_edit() const { return hotkey_edit_; }
  CHotkeyCaptureWnd& capture() { return capture_; }
  const std::map<std::wstring, bool>& pending_associations() const { return pending_; }

  // The text of a hotkey value: modifier names joined by " + ", then the key.
  static std::wstring HotkeyText(int value);
  // The pending map as "|ext:state|" entries in map order.
  static std::wstring AssociationEntries(const std::map<std::wstring, bool>& pending);
  // The stored value of the two number edits for a typed text.
  static int ClampZoomRatio(const std::wstring& text);
  static int ClampJpegQuality(const std::wstring& text);

  // The extensions the file-type boxes stand for, in the skin's order.
  static const std::vector<std::wstring>& FileTypeNames();

  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;
  void OnClick(TNotifyUI& msg) override;
  CControlUI* CreateControl(const wchar_t* name) override;
  LRESULT HandleCustomMessage(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;
  LRESULT OnDestroy(UINT message, WPARAM wparam, LPARAM lparam, BOOL& handled) override;

  // Applies a hotkey value: the tray program is told, the edit shows its text.
  void ApplyHotkey(int value);

 private:
  void OnSelectChanged(COptionUI* option);
  void OnFileTypeChanged(const std::wstring& name, bool on);
  void OnLockscreenChanged(const std::wstring& name, COptionUI* option);
  void ShowInitialStates();
  void FitOptionWidths();
  void OnPageShown(int page);
  void SendTrayInt(uint32_t type, int32_t value);
  void OpenDefaultPrograms();
  bool IsDefaultViewerFor(const std::wstring& extension) const;
  std::wstring UserAssocFile() const;

  const int start_page_;
  CAppConfig* config_;
  CIPCMessageMgr* channel_;
  std::wstring association_module_;
  HWND notify_window_ = nullptr;
  std::function<void()> refresh_receivers_;

  int redraw_ = 0;
  int hotkey_value_ = 0;
  std::wstring hotkey_text_;
  std::vector<COptionUI*> first_group_;
  std::vector<COptionUI*> second_group_;
  std::vector<COptionUI*> file_types_;
  std::map<std::wstring, bool> pending_;
  HFONT dialog_font_ = nullptr;
  HWND hotkey_edit_ = nullptr;
  CHotkeyCaptureWnd capture_;
  bool armed_ = false;
  bool showing_states_ = false;
};
