#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <mutex>
#include <string>

// The folder of the running program, canonicalised, with a trailing
// backslash; computed once. (Callers link shlwapi.)
inline std::wstring ProgramFolder() {
  static std::once_flag once;
  static std::wstring folder;
  std::call_once(once, [] {
    wchar_t path[MAX_PATH] = {};
    wchar_t canonical[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    PathCanonicalizeW(canonical, path);
    folder = canonical;
    if (folder.empty() || folder.back() != L'\\') {
      folder += L'\\';
    }
  });
  return folder;
}
