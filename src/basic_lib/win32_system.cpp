#include "basic_lib/win32_system.h"

#include <objbase.h>
#include <shellapi.h>
// The Active Desktop declarations of shlobj.h need wininet.h first.
#include <wininet.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <process.h>

#include <cwchar>

#include "basic_lib/win_util.h"
#include "basic_lib/windows_version.h"
#include "framework/auto_init_com.h"
#include "framework/com_ptr.h"
#include "framework/handle.h"
#include "log/my_log.h"

namespace win32_system {

namespace {

int DeleteWithShell(const std::wstring& path, FILEOP_FLAGS flags) {
  std::wstring from = path;
  from.push_back(L'\0');  // the list ends with two zeros
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = flags;
  return SHFileOperationW(&operation);
}

// Creates an automation object by its programmatic identifier and returns
// its dispatch interface.
ComPtr<IDispatch> CreateAutomationObject(const wchar_t* prog_id) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(prog_id, &clsid))) {
    return nullptr;
  }
  ComPtr<IUnknown> unknown;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                              reinterpret_cast<void**>(unknown.Receive())))) {
    return nullptr;
  }
  OleRun(unknown.Get());
  return unknown.As<IDispatch>();
}

HRESULT Invoke(IDispatch* object, const wchar_t* name, VARIANT* args, UINT count) {
  DISPID id = 0;
  LPOLESTR member = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    return hr;
  }
  DISPPARAMS params = {args, nullptr, count, 0};
  VARIANT result;
  VariantInit(&result);
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                      nullptr);
  VariantClear(&result);
  return hr;
}

unsigned __stdcall PrintWizardThread(void* argument) {
  BSTR path = static_cast<BSTR>(argument);
  FCAutoInitializeCOM com;
  if (com.succeeded()) {
    ComPtr<IDispatch> dialog = CreateAutomationObject(L"WIA.CommonDialog");
    ComPtr<IDispatch> vector = dialog ? CreateAutomationObject(L"WIA.Vector") : nullptr;
    if (dialog && vector) {
      // Arguments go in reverse order: Add(item, index 0).
      VARIANT add_args[2];
      VariantInit(&add_args[0]);
      add_args[0].vt = VT_I4;
      add_args[0].lVal = 0;
      VariantInit(&add_args[1]);
      add_args[1].vt = VT_BSTR;
      add_args[1].bstrVal = path;
      if (SUCCEEDED(Invoke(vector.Get(), L"Add", add_args, 2))) {
        VARIANT wizard_arg;
        VariantInit(&wizard_arg);
        wizard_arg.vt = VT_DISPATCH;
        wizard_arg.pdispVal = vector.Get();
        Invoke(dialog.Get(), L"ShowPhotoPrintingWizard", &wizard_arg, 1);
      }
    }
  }
  SysFreeString(path);
  return 0;
}

// Windows keeps a converted copy of the wallpaper; a stale one would win.
void RemoveTranscodedWallpaper() {
  wchar_t app_data[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%appdata%", app_data, MAX_PATH);
  const std::wstring cached =
      std::wstring(app_data) + L"\\Microsoft\\Windows\\Themes\\TranscodedWallpaper.jpg";
  if (!win_util::PathExists(cached)) {
    return;
  }
  SetFileAttributesW(cached.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!DeleteFileW(cached.c_str())) {
    LOG_INFO << "CleanSysThemeDir failed";
  }
}

// Where the active-desktop object is missing: the same choice written where
// the desktop reads it, then the picture set through the system parameters.
bool SetWallpaperThroughSettings(const std::wstring& path, DWORD style) {
  // WPSTYLE_CENTER, _TILE, _STRETCH, _KEEPASPECT, _CROPTOFIT as the desktop
  // stores them.
  static const wchar_t* const kStoredStyles[] = {L"0", L"0", L"2", L"6", L"10"};
  const wchar_t* stored = style < 5 ? kStoredStyles[style] : L"0";
  const wchar_t* tile = style == 1 ? L"1" : L"0";
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, L"WallpaperStyle", 0, REG_SZ, reinterpret_cast<const BYTE*>(stored),
                   static_cast<DWORD>((wcslen(stored) + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(tile),
                   static_cast<DWORD>((wcslen(tile) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  std::wstring copy = path;
  if (!SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, &copy[0],
                             SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
    LOG_INFO << "SPI_SETDESKWALLPAPER failed,error:" << GetLastError();
    return false;
  }
  return true;
}

}  // namespace

bool DeleteToRecycleBin(const std::wstring& path, FILEOP_FLAGS flags) {
  if (path.empty() || !win_util::PathExists(path)) {
    return false;
  }
  return DeleteWithShell(path, flags) == 0;
}

bool DeleteSilently(const std::wstring& path) {
  if (path.empty()) {
    return false;
  }
  return DeleteWithShell(path, FOF_SILENT | FOF_NOCONFIRMATION) == 0;
}

bool DeleteCurrentFile(const std::wstring& path) {
  DeleteToRecycleBin(path, FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO);
  if (!win_util::PathExists(path)) {
    return true;
  }
  DeleteToRecycleBin(path, FOF_ALLOWUNDO);
  return false;
}

bool ShowInFolder(const std::wstring& path) {
  PIDLIST_ABSOLUTE item = ILCreateFromPathW(path.c_str());
  if (!item) {
    return false;
  }
  const HRESULT hr = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
  ILFree(item);
  return SUCCEEDED(hr);
}

bool OpenWithDialog(const std::wstring& path) {
  OPENASINFO info = {};
  info.pcszFile = path.c_str();
  info.pcszClass = nullptr;
  info.oaifInFlags = OAIF_EXEC | OAIF_HIDE_REGISTRATION;
  return SUCCEEDED(SHOpenWithDialog(nullptr, &info));
}

void PrintFile(const std::wstring& path) {
  BSTR copy = SysAllocString(path.c_str());
  if (!copy) {
    return;
  }
  CHandle thread(
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, PrintWizardThread, copy, 0, nullptr)));
  if (!thread) {
    SysFreeString(copy);
  }
}

bool SetDesktopWallpaper(const std::wstring& path, DWORD style) {
  RemoveTranscodedWallpaper();
  ComPtr<IActiveDesktop> desktop;
  const HRESULT created =
      CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                       reinterpret_cast<void**>(desktop.Receive()));
  if (FAILED(created) || !desktop) {
    LOG_INFO << "CoCreateInstance failed,result:" << static_cast<long>(created);
    return SetWallpaperThroughSettings(path, style);
  }
  bool ok = true;
  COMPONENTSOPT components = {};
  components.dwSize = sizeof(components);
  components.fEnableComponents = TRUE;
  components.fActiveDesktop = TRUE;
  HRESULT hr = desktop->SetDesktopItemOptions(&components, 0);
  if (FAILED(hr)) {
    LOG_INFO << "SetDesktopItemOptions failed,result:" << static_cast<long>(hr);
    ok = false;
  }
  hr = desktop->SetWallpaper(path.c_str(), 0);
  if (FAILED(hr)) {
    LOG_INFO << "SetWallpaper failed,result:" << static_cast<long>(hr);
    ok = false;
  }
  WALLPAPEROPT options = {};
  options.dwSize = sizeof(options);
  options.dwStyle = style;
  hr = desktop->SetWallpaperOptions(&options, 0);
  if (FAILED(hr)) {
    LOG_INFO << "SetWallpaperOptions failed,result:" << static_cast<long>(hr);
    ok = false;
  }
  hr = desktop->ApplyChanges(CWindowsVersion::IsAtLeast(6, 0)
                                 ? AD_APPLY_ALL
                                 : AD_APPLY_SAVE | AD_APPLY_HTMLGEN | AD_APPLY_REFRESH);
  if (FAILED(hr)) {
    LOG_INFO << "ApplyChanges failed,result:" << static_cast<long>(hr);
    ok = false;
  }
  // An active-desktop object that is only partly there leaves the choice
  // unapplied: apply it the other way.
  return ok || SetWallpaperThroughSettings(path, style);
}

std::wstring GetFileVersionText(const std::wstring& path, DWORD max_resource_bytes) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0 || size > max_resource_bytes) {
    return std::wstring();
  }
  std::wstring text;
  void* data = HeapAlloc(GetProcessHeap(), 0, size);
  if (!data) {
    return text;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  if (GetFileVersionInfoW(path.c_str(), 0, size, data) &&
      VerQueryValueW(data, L"\\", reinterpret_cast<void**>(&fixed), &fixed_size) && fixed &&
      fixed_size >= sizeof(VS_FIXEDFILEINFO)) {
    wchar_t buffer[64];
    swprintf(buffer, 64, L"%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS),
             LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
             LOWORD(fixed->dwFileVersionLS));
    text = buffer;
  }
  HeapFree(GetProcessHeap(), 0, data);
  return text;
}

}  // namespace win32_system
