#include "integration/companion_lib_wrapper.h"

#include <windows.h>

#include "basic_lib/win_util.h"
#include "integration/common_module.h"
#include "integration/companion_entry_points.h"

CCompanionLibWrapper::CCompanionLibWrapper() {
  // Only the program folder's copy is asked for the object.
  if (win_util::PathExists(win_util::ProgramFolder() + kCommonModuleName)) {
    Create(CCommonModule::Get());
  }
}

CCompanionLibWrapper::CCompanionLibWrapper(const std::wstring& program_folder) {
  if (win_util::PathExists(program_folder + kCommonModuleName)) {
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
  const auto create = win_util::GetProcAddressAs<CreatePLibWrapperFn>(module, "CreatePLibWrapper");
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
