#include "config/app_config.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <mutex>

CAppConfig::CAppConfig() { canvas_brush = CreateSolidBrush(canvas_back_color); }

CAppConfig::~CAppConfig() {
  if (canvas_brush) {
    DeleteObject(canvas_brush);
  }
}

std::wstring CAppConfig::GetDataFolder() {
  static std::once_flag once;
  static std::wstring folder;
  std::call_once(once, [] {
    wchar_t app_data[MAX_PATH] = {};
    wchar_t canonical[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data);
    PathCanonicalizeW(canonical, app_data);
    folder = canonical;
    if (!folder.empty() && folder.back() != L'\\') {
      folder += L'\\';
    }
    folder += L"Lumora\\";
  });
  return folder;
}

std::wstring CAppConfig::GetProgramFolder() {
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
