#pragma once

#include <windows.h>

#include <string>

#include "support/test_paths.h"

namespace test_support {

// A small 24-bit BMP picture, enough for the viewer to open.
bool WriteBitmap(const std::wstring& path, int width = 8, int height = 8);

std::wstring Quoted(const std::wstring& path);
bool Contains(const std::wstring& text, const std::wstring& part);

// The viewer's settings file, restored when the test ends; values set here
// are read by viewers started afterwards.
class SettingsGuard {
 public:
  SettingsGuard();
  void Set(const wchar_t* key, const wchar_t* value);

  const std::wstring& file() const { return file_; }

 private:
  std::wstring file_;
  test_support::FileRestorer restorer_;
};

// Holds a named mutex (created, owned or not) until released or destroyed.
class HeldMutex {
 public:
  HeldMutex(const wchar_t* name, bool owned);
  ~HeldMutex();
  HeldMutex(const HeldMutex&) = delete;
  HeldMutex& operator=(const HeldMutex&) = delete;
  void Release();

 private:
  HANDLE handle_ = nullptr;
  bool owned_ = false;
};

// Puts one DWORD value under HKEY_CURRENT_USER back as it was (or removes
// it) when the test ends.
class RegistryValueRestorer {
 public:
  RegistryValueRestorer(const wchar_t* key, const wchar_t* value);
  ~RegistryValueRestorer();
  RegistryValueRestorer(const RegistryValueRestorer&) = delete;
  RegistryValueRestorer& operator=(const RegistryValueRestorer&) = delete;

 private:
  std::wstring key_;
  std::wstring value_;
  bool existed_ = false;
  DWORD data_ = 0;
};

// Sends a WM_COPYDATA record and returns the answer (0 when it failed or
// was not answered within timeout_ms).
LRESULT SendCopyData(HWND target, ULONG_PTR tag, const void* data, DWORD size,
                     UINT timeout_ms = 10000);

}  // namespace test_support
