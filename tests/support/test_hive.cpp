#include "support/test_hive.h"

#include <vector>

namespace test_support {

namespace {

std::wstring DescribeValue(DWORD type, const std::vector<BYTE>& data) {
  std::wstring text = std::to_wstring(type) + L":";
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring chars(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
    while (!chars.empty() && chars.back() == L'\0') {
      chars.pop_back();
    }
    return text + chars;
  }
  static const wchar_t digits[] = L"0123456789abcdef";
  for (BYTE b : data) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

void Snapshot(HKEY key, const std::wstring& prefix, std::map<std::wstring, std::wstring>* out) {
  for (DWORD index = 0;; ++index) {
    wchar_t name[16384];
    DWORD name_length = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, index, name, &name_length, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size);
    name_length = 16384;
    RegEnumValueW(key, index, name, &name_length, nullptr, &type, data.data(), &size);
    data.resize(size);
    (*out)[prefix + L":" + std::wstring(name, name_length)] = DescribeValue(type, data);
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_length = 256;
    if (RegEnumKeyExW(key, index, name, &name_length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    const std::wstring child = prefix + std::wstring(name, name_length) + L"\\";
    (*out)[child] = L"";
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      Snapshot(sub, child, out);
      RegCloseKey(sub);
    }
  }
}

}  // namespace

TestHive::TestHive(const std::wstring& name) {
  path_ = L"Software\\LumoraTestHive-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                  nullptr);
  RegOverridePredefKey(HKEY_CURRENT_USER, root_);
}

TestHive::~TestHive() {
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (root_) {
    RegCloseKey(root_);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
}

std::map<std::wstring, std::wstring> SnapshotRegistry(HKEY key) {
  std::map<std::wstring, std::wstring> snapshot;
  Snapshot(key, L"", &snapshot);
  return snapshot;
}

}  // namespace test_support
