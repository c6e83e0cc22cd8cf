#include "tray/tray_state.h"

#include <utility>

#include "config/settings_file_lock.h"
#include "shared/companion_paths.h"
#include "shared/reg_key.h"

CTrayState::CTrayState(HKEY root, std::wstring settings_file)
    : root_(root), settings_file_(std::move(settings_file)) {}

void CTrayState::StoreDword(const std::wstring& subkey, const std::wstring& name, DWORD value) {
  companion::CRegKey key;
  const std::wstring path = subkey.empty() ? kKeyPath : std::wstring(kKeyPath) + L"\\" + subkey;
  if (key.Create(root_, path)) {
    key.SetDword(name, value);
  }
}

void CTrayState::SetQuickIndex(bool on) { StoreDword(L"", L"quick_index", on ? 1 : 0); }

void CTrayState::SetScreenshotHotkey(int hotkey) {
  StoreDword(L"", L"screenshot_hotkey", static_cast<DWORD>(hotkey));
  if (settings_file_.empty()) {
    return;
  }
  CSettingsFileLock lock;
  if (GetFileAttributesW(settings_file_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // A new settings file is UTF-16, like the one the viewer writes.
    const size_t slash = settings_file_.find_last_of(L'\\');
    if (slash != std::wstring::npos) {
      companion::EnsureFolder(settings_file_.substr(0, slash + 1));
    }
    HANDLE file = CreateFileW(settings_file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      const unsigned char bom[] = {0xFF, 0xFE};
      DWORD written = 0;
      WriteFile(file, bom, sizeof(bom), &written, nullptr);
      CloseHandle(file);
    }
  }
  WritePrivateProfileStringW(L"Default", L"sniptool_hotkey", std::to_wstring(hotkey).c_str(),
                             settings_file_.c_str());
}

void CTrayState::SetAssociation(const std::wstring& extension, bool on) {
  if (extension == L"open") {
    StoreDword(L"", L"default_viewer", on ? 1 : 0);
  } else {
    StoreDword(L"Association", extension, on ? 1 : 0);
  }
}

void CTrayState::SetLockscreenEnabled(bool on) {
  StoreDword(L"", L"lockscreen_enable", on ? 1 : 0);
}

void CTrayState::SetLockscreenMinutes(int minutes) {
  StoreDword(L"", L"lockscreen_time", static_cast<DWORD>(minutes));
}
