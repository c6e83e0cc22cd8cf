#include "association/default_apps_page.h"

#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

namespace association {

void OpenDefaultAppsPage(const companion::OsVersion& os) {
  if (os.IsWindows10OrLater()) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = L"ms-settings:defaultapps";
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
    return;
  }
  if (!os.IsWindows8OrLater()) {
    return;
  }
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IApplicationAssociationRegistrationUI* ui = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ApplicationAssociationRegistrationUI, nullptr,
                                 CLSCTX_INPROC_SERVER, IID_IApplicationAssociationRegistrationUI,
                                 reinterpret_cast<void**>(&ui)))) {
    ui->LaunchAdvancedAssociationUI(L"Lumora");
    ui->Release();
  }
  if (SUCCEEDED(com)) {
    CoUninitialize();
  }
}

}  // namespace association
