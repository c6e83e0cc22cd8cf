#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace companion {

// An open registry key, closed when the object goes away.
class CRegKey {
 public:
  CRegKey() = default;
  ~CRegKey() { Close(); }
  CRegKey(const CRegKey&) = delete;
  CRegKey& operator=(const CRegKey&) = delete;

  bool Create(HKEY root, const std::wstring& path, REGSAM access = KEY_READ | KEY_WRITE);
  bool Open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);
  void Close();
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

  bool GetDword(const std::wstring& name, DWORD* value) const;
  bool SetDword(const std::wstring& name, DWORD value);
  // Only REG_SZ and REG_EXPAND_SZ values (not expanded) are read.
  bool GetString(const std::wstring& name, std::wstring* value) const;
  bool SetString(const std::wstring& name, const std::wstring& value);
  // An empty value of type REG_NONE, as OpenWithProgids entries are.
  bool SetEmptyValue(const std::wstring& name);
  bool HasValue(const std::wstring& name) const;
  bool DeleteValue(const std::wstring& name);
  std::vector<std::wstring> ValueNames() const;
  std::vector<std::wstring> SubkeyNames() const;
  bool IsEmpty() const;

 private:
  HKEY key_ = nullptr;
};

// Deletes a key with everything under it; true when it is gone afterwards.
bool DeleteKeyTree(HKEY root, const std::wstring& path);
// Deletes the key only when it has neither values nor subkeys, then its
// parents up to (not including) stop_at in the same way.
void DeleteKeyIfEmpty(HKEY root, const std::wstring& path, const std::wstring& stop_at);

}  // namespace companion
