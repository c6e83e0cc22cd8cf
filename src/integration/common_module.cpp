#include "integration/common_module.h"

#include <shlwapi.h>

#include <mutex>

#include "integration/companion_entry_points.h"
#include "log/my_log.h"

namespace {

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ParentFolder(const std::wstring& folder) {
  std::wstring parent = folder;
  while (!parent.empty() && parent.back() == L'\\') {
    parent.pop_back();
  }
  const size_t slash = parent.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : parent.substr(0, slash + 1);
}

}  // namespace

std::wstring CCommonModule::ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return std::wstring();
  }
  PathRemoveFileSpecW(path);
  std::wstring folder = path;
  if (folder.empty() || folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

std::wstring CCommonModule::CandidatePath(const std::wstring& program_folder) {
  const std::wstring beside = program_folder + kCommonModuleName;
  if (FileExists(beside)) {
    return beside;
  }
  const std::wstring parent = ParentFolder(program_folder);
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
  std::call_once(once, [] { module = Find(ProgramFolder()); });
  if (!module) {
    LOG_INFO << "common.dll could not be loaded; the program ends";
    ExitProcess(0);
  }
  return module;
}
