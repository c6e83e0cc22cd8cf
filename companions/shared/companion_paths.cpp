#include "shared/companion_paths.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace companion {

namespace {

std::wstring WithTrailingBackslash(std::wstring folder) {
  if (folder.empty() || folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

}  // namespace

std::wstring DataFolder() {
  wchar_t app_data[MAX_PATH] = {};
  wchar_t canonical[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data))) {
    return std::wstring();
  }
  PathCanonicalizeW(canonical, app_data);
  return WithTrailingBackslash(canonical) + L"Lumora\\";
}

std::wstring CrashFolder() {
  const std::wstring data = DataFolder();
  return data.empty() ? data : data + L"temp\\crash\\";
}

std::wstring ModuleFolder(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return std::wstring();
  }
  PathRemoveFileSpecW(path);
  return WithTrailingBackslash(path);
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

bool EnsureFolder(const std::wstring& folder) {
  if (folder.empty()) {
    return false;
  }
  // CreateDirectory makes one level at a time; existing levels just fail.
  for (size_t at = folder.find(L'\\', 3); at != std::wstring::npos;
       at = folder.find(L'\\', at + 1)) {
    CreateDirectoryW(folder.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace companion
