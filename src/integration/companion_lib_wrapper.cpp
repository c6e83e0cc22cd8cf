#include "integration/companion_lib_wrapper.h"

#include <windows.h>

#include "integration/common_module.h"
#include "integration/companion_entry_points.h"

namespace {

bool CommonModuleIn(const std::wstring& folder) {
  return GetFileAttributesW((folder + kCommonModuleName).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

CCompanionLibWrapper::CCompanionLibWrapper() {
  // Only the program folder's copy is asked for the object.
  if (CommonModuleIn(CCommonModule::ProgramFolder())) {
    Create(CCommonModule::Get());
  }
}

CCompanionLibWrapper::CCompanionLibWrapper(const std::wstring& program_folder) {
  if (CommonModuleIn(program_folder)) {
    Create(CCommonModule::Find(program_folder));
  }
}

CCompanionLibWrapper::~CCompanionLibWrapper() {
  if (wrapper_) {
    wrapper_->Release();
  }
}

void CCompanionLibWrapper::Create(HMODULE module) {
  if (!module) {
    return;
  }
  auto create = reinterpret_cast<CreatePLibWrapperFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "CreatePLibWrapper")));
  if (!create) {
    return;
  }
  wrapper_ = create();
  if (wrapper_) {
    wrapper_->Initialize(0, kProductWord, 0);
  }
}

int CCompanionLibWrapper::GetQuickIndexState(int fallback) const {
  return wrapper_ ? wrapper_->GetQuickIndexState() : fallback;
}

void CCompanionLibWrapper::SetQuickIndexState(int state) {
  if (wrapper_) {
    wrapper_->SetQuickIndexState(state);
  }
}
