#include "integration/common_module.h"

#include <shlwapi.h>

#include <mutex>

#include "basic_lib/win_util.h"
#include "integration/companion_entry_points.h"
#include "log/my_log.h"

std::wstring CCommonModule::CandidatePath(const std::wstring& program_folder) {
  const std::wstring beside = program_folder + kCommonModuleName;
  if (win_util::FileExists(beside)) {
    return beside;
  }
  const std::wstring parent = win_util::ParentFolder(program_folder);
  return parent.empty() ? beside : parent + kCommonModuleName;
}

HMODULE CCommonModule::Find(const std::wstring& program_folder) {
  if (HMODULE loaded = GetModuleHandleW(kCommonModuleName)) {
    return loaded;
  }
  return LoadLibraryExW(CandidatePath(program_folder).c_str(), nullptr,
                        LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE CCommonModule::Get() {
  static std::once_flag once;
  static HMODULE module = nullptr;
  std::call_once(once, [] { module = Find(win_util::ProgramFolder()); });
  if (!module) {
    LOG_INFO << "common.dll could not be loaded; the program ends";
    ExitProcess(0);
  }
  return module;
}
