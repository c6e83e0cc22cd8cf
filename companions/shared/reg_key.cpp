#include "shared/reg_key.h"

namespace companion {

bool CRegKey::Create(HKEY root, const std::wstring& path, REGSAM access) {
  Close();
  return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, access, nullptr, &key_, nullptr) ==
         ERROR_SUCCESS;
}

bool CRegKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
  Close();
  return RegOpenKeyExW(root, path.c_str(), 0, access, &key_) == ERROR_SUCCESS;
}

void CRegKey::Close() {
  if (key_) {
    RegCloseKey(key_);
    key_ = nullptr;
  }
}

bool CRegKey::GetDword(const std::wstring& name, DWORD* value) const {
  DWORD type = 0;
  DWORD data = 0;
  DWORD size = sizeof(data);
  if (!key_ ||
      RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data)) {
    return false;
  }
  *value = data;
  return true;
}

bool CRegKey::SetDword(const std::wstring& name, DWORD value) {
  return key_ &&
         RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

bool CRegKey::GetString(const std::wstring& name, std::wstring* value) const {
  if (!key_) {
    return false;
  }
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return false;
  }
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&text[0]),
                       &got) != ERROR_SUCCESS) {
    return false;
  }
  // The stored text may or may not end in a terminator.
  text.resize(got / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') {
    text.pop_back();
  }
  *value = text;
  return true;
}

bool CRegKey::SetString(const std::wstring& name, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return key_ &&
         RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        bytes) == ERROR_SUCCESS;
}

bool CRegKey::SetEmptyValue(const std::wstring& name) {
  return key_ && RegSetValueExW(key_, name.c_str(), 0, REG_NONE, nullptr, 0) == ERROR_SUCCESS;
}

bool CRegKey::HasValue(const std::wstring& name) const {
  return key_ &&
         RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CRegKey::DeleteValue(const std::wstring& name) {
  return key_ && RegDeleteValueW(key_, name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::wstring> CRegKey::ValueNames() const {
  std::vector<std::wstring> names;
  for (DWORD index = 0; key_; ++index) {
    wchar_t name[16384];
    DWORD length = 16384;
    if (RegEnumValueW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

std::vector<std::wstring> CRegKey::SubkeyNames() const {
  std::vector<std::wstring> names;
  for (DWORD index = 0; key_; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  return names;
}

bool CRegKey::IsEmpty() const {
  DWORD subkeys = 0;
  DWORD values = 0;
  return key_ &&
         RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0 && values == 0;
}

bool DeleteKeyTree(HKEY root, const std::wstring& path) {
  const LONG result = RegDeleteTreeW(root, path.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

void DeleteKeyIfEmpty(HKEY root, const std::wstring& path, const std::wstring& stop_at) {
  std::wstring current = path;
  while (!current.empty() && current.size() > stop_at.size()) {
    {
      CRegKey key;
      if (!key.Open(root, current) || !key.IsEmpty()) {
        return;
      }
    }
    RegDeleteKeyW(root, current.c_str());
    const size_t slash = current.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
      return;
    }
    current.resize(slash);
  }
}

}  // namespace companion
