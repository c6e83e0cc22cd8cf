#include "image/default_save_name.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

#include "basic_lib/win_util.h"

namespace {

constexpr int kLastNumber = 99;

}  // namespace

std::wstring MakeDefaultSaveName(const std::wstring& current_path) {
  const wchar_t* extension = PathFindExtensionW(current_path.c_str());
  const std::wstring stem =
      current_path.substr(0, static_cast<size_t>(extension - current_path.c_str()));
  std::wstring name;
  for (int n = 1; n <= kLastNumber; ++n) {
    wchar_t suffix[16] = {};
    std::swprintf(suffix, 16, L"(%d).jpg", n);
    name = stem + suffix;
    if (!win_util::PathExists(name)) {
      break;
    }
  }
  return name;
}

std::wstring FreeNameFor(const std::wstring& path) {
  if (!win_util::PathExists(path)) {
    return path;
  }
  const wchar_t* extension = PathFindExtensionW(path.c_str());
  const std::wstring stem = path.substr(0, static_cast<size_t>(extension - path.c_str()));
  for (int n = 1; n <= kLastNumber; ++n) {
    const std::wstring name = stem + L"(" + std::to_wstring(n) + L")" + extension;
    if (!win_util::PathExists(name)) {
      return name;
    }
  }
  return std::wstring();
}
