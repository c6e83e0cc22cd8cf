#include "support/app_helpers.h"

#include <cstdint>
#include <vector>

namespace test_support {

bool WriteBitmap(const std::wstring& path, int width, int height) {
  const int row = (width * 3 + 3) / 4 * 4;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(row * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  bytes.append(info.biSizeImage, '\x60');
  return test_support::WriteFileBytes(path, bytes);
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

SettingsGuard::SettingsGuard()
    : file_(test_support::DataFolder() + L"config.ini"), restorer_(file_) {
  CreateDirectoryW(test_support::DataFolder().c_str(), nullptr);
  // Every test starts from the defaults of the settings it cares about.
  Set(L"only_one_instance", L"0");
  Set(L"completely_exit", L"0");
}

void SettingsGuard::Set(const wchar_t* key, const wchar_t* value) {
  WritePrivateProfileStringW(L"app", key, value, file_.c_str());
}

HeldMutex::HeldMutex(const wchar_t* name, bool owned)
    : handle_(CreateMutexW(nullptr, owned ? TRUE : FALSE, name)), owned_(owned) {}

HeldMutex::~HeldMutex() { Release(); }

void HeldMutex::Release() {
  if (!handle_) {
    return;
  }
  if (owned_) {
    ReleaseMutex(handle_);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
}

RegistryValueRestorer::RegistryValueRestorer(const wchar_t* key, const wchar_t* value)
    : key_(key), value_(value) {
  DWORD size = sizeof(data_);
  existed_ = RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_DWORD, nullptr, &data_,
                          &size) == ERROR_SUCCESS;
}

RegistryValueRestorer::~RegistryValueRestorer() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
    return;
  }
  if (existed_) {
    RegSetValueExW(key, value_.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data_),
                   sizeof(data_));
  } else {
    RegDeleteValueW(key, value_.c_str());
  }
  RegCloseKey(key);
}

LRESULT SendCopyData(HWND target, ULONG_PTR tag, const void* data, DWORD size, UINT timeout_ms) {
  COPYDATASTRUCT record = {tag, size, const_cast<void*>(data)};
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_NORMAL,
                           timeout_ms, &answer)) {
    return 0;
  }
  return static_cast<LRESULT>(answer);
}

}  // namespace test_support
