#pragma once

#include <windows.h>

#include <string>

// The settings viewers pass on to the tray program. They are kept per user
// under "Software\Lumora\Tray"; the screenshot hotkey also goes into the
// viewer's settings file, section "Default", key "sniptool_hotkey", where the
// settings dialog reads it back.
class CTrayState {
 public:
  CTrayState(HKEY root, std::wstring settings_file);

  void SetQuickIndex(bool on);
  void SetScreenshotHotkey(int hotkey);
  // extension is a lower-case file extension, or "open" for the viewer being
  // the default viewer at all.
  void SetAssociation(const std::wstring& extension, bool on);
  void SetLockscreenEnabled(bool on);
  void SetLockscreenMinutes(int minutes);

  static constexpr const wchar_t* kKeyPath = L"Software\\Lumora\\Tray";

 private:
  void StoreDword(const std::wstring& subkey, const std::wstring& name, DWORD value);

  HKEY root_;
  std::wstring settings_file_;
};
