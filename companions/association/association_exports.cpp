// Entry points of ZidizOdera.dll, the association module.
#include <windows.h>
#include <shlobj.h>

#include <type_traits>

#include "association/association_list.h"
#include "association/association_registry.h"
#include "association/default_apps_page.h"
#include "integration/companion_entry_points.h"
#include "shared/companion_paths.h"
#include "shared/os_version.h"

namespace {

constexpr int kCurrentUserRoot = static_cast<int>(0x80000001u);

association::CAssociationRegistry Registry() {
  return association::CAssociationRegistry(
      companion::ModuleFolder(companion::ThisModule()) + L"Lumora.exe",
      companion::GetOsVersionInfo());
}

void NotifyShell() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

}  // namespace

extern "C" {

// 1 when the user's choice names this program for every type turned on.
__declspec(dllexport) int __stdcall IsAssociationOK() {
  const association::CAssociationRegistry registry = Registry();
  const auto turned_on = registry.TurnedOn();
  if (turned_on.empty()) {
    return 0;
  }
  for (const std::wstring& extension : turned_on) {
    if (!registry.IsDefaultFor(extension)) {
      return 0;
    }
  }
  return 1;
}

__declspec(dllexport) int __stdcall SetDefaultImageViewer(int) {
  association::CAssociationRegistry registry = Registry();
  registry.RegisterProgram();
  for (const std::wstring& extension : association::ImageExtensions()) {
    registry.TurnOn(extension);
  }
  NotifyShell();
  association::OpenDefaultAppsPage(companion::GetOsVersionInfo());
  return 1;
}

// Only the current user's root holds records of this module.
__declspec(dllexport) int __stdcall UnInstall(int root_key) {
  if (root_key != kCurrentUserRoot) {
    return 0;
  }
  Registry().RemoveAll();
  NotifyShell();
  return 1;
}

__declspec(dllexport) int __stdcall SetAssociation(const wchar_t* entries) {
  const auto changes = association::ParseAssociationList(entries);
  if (changes.empty()) {
    return 0;
  }
  association::CAssociationRegistry registry = Registry();
  registry.RegisterProgram();
  for (const auto& change : changes) {
    if (change.second) {
      registry.TurnOn(change.first);
    } else {
      registry.TurnOff(change.first);
    }
  }
  NotifyShell();
  return 1;
}

}  // extern "C"

static_assert(std::is_same<decltype(&IsAssociationOK), IsAssociationOKFn>::value,
              "IsAssociationOK");
static_assert(std::is_same<decltype(&SetDefaultImageViewer), SetDefaultImageViewerFn>::value,
              "SetDefaultImageViewer");
static_assert(std::is_same<decltype(&UnInstall), UnInstallFn>::value, "UnInstall");
static_assert(std::is_same<decltype(&SetAssociation), SetAssociationFn>::value, "SetAssociation");
