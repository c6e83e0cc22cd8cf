// Calls the association module in a scratch registry hive, as a separate
// process so that Wine can report another Windows version to it.
// Usage: association_test_helper <hive key under HKCU> set|uninstall|check
// Exit code: 100 + IsAssociationOK afterwards, or below 100 on a failure.
#include <windows.h>

#include <string>

#include "integration/companion_entry_points.h"
#include "basic_lib/win_util.h"
#include "support/test_paths.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    return 2;
  }
  HKEY hive = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, argv[1], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hive,
                      nullptr) != ERROR_SUCCESS ||
      RegOverridePredefKey(HKEY_CURRENT_USER, hive) != ERROR_SUCCESS) {
    return 3;
  }
  HMODULE module = LoadLibraryW((test_support::DistFolder() + L"\\ZidizOdera.dll").c_str());
  if (!module) {
    return 4;
  }
  auto set_default =
      win_util::GetProcAddressAs<SetDefaultImageViewerFn>(module, "SetDefaultImageViewer");
  auto uninstall = win_util::GetProcAddressAs<UnInstallFn>(module, "UnInstall");
  auto is_ok = win_util::GetProcAddressAs<IsAssociationOKFn>(module, "IsAssociationOK");
  if (!set_default || !uninstall || !is_ok) {
    return 5;
  }
  const std::wstring action = argv[2];
  if (action == L"set") {
    set_default(0);
  } else if (action == L"uninstall") {
    uninstall(static_cast<int>(0x80000001u));
  } else if (action != L"check") {
    return 6;
  }
  const int result = 100 + is_ok();
  FreeLibrary(module);
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegCloseKey(hive);
  return result;
}
