#include "integration/association_module.h"

#include <utility>

#include "config/app_config.h"
#include "integration/companion_entry_points.h"
#include "log/my_log.h"

namespace {

constexpr int kCurrentUserRoot = static_cast<int>(0x80000001u);

std::wstring WithTrailingSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') {
    folder.push_back(L'\\');
  }
  return folder;
}

}  // namespace

CAssocFunction::~CAssocFunction() {
  if (module_) {
    FreeLibrary(module_);
  }
}

CAssocFunction::CAssocFunction(CAssocFunction&& other) noexcept
    : module_(std::exchange(other.module_, nullptr)),
      function_(std::exchange(other.function_, nullptr)) {}

CAssocFunction& CAssocFunction::operator=(CAssocFunction&& other) noexcept {
  if (this != &other) {
    if (module_) {
      FreeLibrary(module_);
    }
    module_ = std::exchange(other.module_, nullptr);
    function_ = std::exchange(other.function_, nullptr);
  }
  return *this;
}

CAssocFunction LoadAssocFunction(const std::wstring& folder, const char* export_name) {
  const std::wstring path = WithTrailingSeparator(folder) + kAssociationModuleName;
  HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    LOG_INFO << "The association module is missing: " << path;
    return CAssocFunction();
  }
  FARPROC function = GetProcAddress(module, export_name);
  if (!function) {
    LOG_INFO << "The association module has no " << export_name;
  }
  return CAssocFunction(module, function);
}

CAssocFunction LoadAssocFunction(const char* export_name) {
  return LoadAssocFunction(CAppConfig::GetProgramFolder(), export_name);
}

CAssociationModule::CAssociationModule() : folder_(CAppConfig::GetProgramFolder()) {}

CAssociationModule::CAssociationModule(std::wstring folder) : folder_(std::move(folder)) {}

int CAssociationModule::IsAssociationOK() const {
  const CAssocFunction function = LoadAssocFunction(folder_, "IsAssociationOK");
  if (auto call = function.get<IsAssociationOKFn>()) {
    return call();
  }
  return 1;
}

bool CAssociationModule::SetDefaultImageViewer() const {
  const CAssocFunction function = LoadAssocFunction(folder_, "SetDefaultImageViewer");
  if (auto call = function.get<SetDefaultImageViewerFn>()) {
    call(0);
    return true;
  }
  return false;
}

bool CAssociationModule::UnInstall() const {
  const CAssocFunction function = LoadAssocFunction(folder_, "UnInstall");
  if (auto call = function.get<UnInstallFn>()) {
    call(kCurrentUserRoot);
    return true;
  }
  return false;
}

bool CAssociationModule::SetAssociation(const std::wstring& entries) const {
  const CAssocFunction function = LoadAssocFunction(folder_, "SetAssociation");
  if (auto call = function.get<SetAssociationFn>()) {
    call(entries.c_str());
    return true;
  }
  return false;
}
