#include "support/fake_wia_registration.h"

#include <windows.h>

#include "basic_lib/win_util.h"
#include "support/fake_wia_ids.h"
#include "support/test_paths.h"

namespace test_support {

namespace {

constexpr const wchar_t* kClasses = L"Software\\Classes\\";

std::wstring GuidText(const GUID& guid) {
  wchar_t text[64] = {};
  StringFromGUID2(guid, text, 64);
  return text;
}

bool SetDefault(const std::wstring& key, const std::wstring& value, const wchar_t* name = nullptr) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG result =
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

std::wstring ThisProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

}  // namespace

FakeWiaRegistration::FakeWiaRegistration() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  log_ =
      std::wstring(temp) + L"lumora-fake-wia-" + std::to_wstring(GetCurrentProcessId()) + L".log";
  DeleteFileW(log_.c_str());
  SetEnvironmentVariableW(L"LUMORA_FAKE_WIA_LOG", log_.c_str());
  const std::wstring dll = ThisProgramFolder() + L"\\fake_wia.dll";
  const std::wstring dialog = GuidText(kFakeWiaDialogClsid);
  const std::wstring vector = GuidText(kFakeWiaVectorClsid);
  ok_ = win_util::PathExists(dll) &&
        SetDefault(std::wstring(kClasses) + L"WIA.CommonDialog\\CLSID", dialog) &&
        SetDefault(std::wstring(kClasses) + L"WIA.Vector\\CLSID", vector);
  for (const std::wstring& clsid : {dialog, vector}) {
    const std::wstring server = std::wstring(kClasses) + L"CLSID\\" + clsid + L"\\InprocServer32";
    ok_ = ok_ && SetDefault(server, dll) && SetDefault(server, L"Apartment", L"ThreadingModel");
  }
}

FakeWiaRegistration::~FakeWiaRegistration() {
  for (const std::wstring& key :
       {std::wstring(L"WIA.CommonDialog"), std::wstring(L"WIA.Vector"),
        L"CLSID\\" + GuidText(kFakeWiaDialogClsid), L"CLSID\\" + GuidText(kFakeWiaVectorClsid)}) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kClasses) + key).c_str());
  }
  SetEnvironmentVariableW(L"LUMORA_FAKE_WIA_LOG", nullptr);
  DeleteFileW(log_.c_str());
}

std::string FakeWiaRegistration::Log() const { return ReadFileBytes(log_); }

}  // namespace test_support
