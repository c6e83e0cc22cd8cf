#include "support/test_paths.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "basic_lib/win_util.h"
#include "framework/handle.h"

namespace test_support {

namespace {

std::wstring EnvOr(const wchar_t* name, const std::wstring& fallback) {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
  return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : fallback;
}

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

void RemoveTree(const std::wstring& path) {
  // SHFileOperation needs a double-terminated list.
  std::wstring from = path;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

}  // namespace

std::wstring DistFolder() { return EnvOr(L"LUMORA_DIST", ExeFolder() + L"\\..\\dist"); }

std::wstring SourceFolder() { return EnvOr(L"LUMORA_SOURCE", ExeFolder() + L"\\..\\..\\.."); }

ScratchFolder::ScratchFolder(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = std::wstring(temp) + L"lumora-test-" + name + L"-" +
          std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
  RemoveTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::wstring DataFolder() {
  wchar_t app_data[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data);
  return std::wstring(app_data) + L"\\Lumora\\";
}

FileRestorer::FileRestorer(std::wstring path)
    : path_(std::move(path)), existed_(win_util::PathExists(path_)), bytes_(ReadFileBytes(path_)) {}

FileRestorer::~FileRestorer() {
  if (existed_) {
    WriteFileBytes(path_, bytes_);
  } else {
    DeleteFileW(path_.c_str());
  }
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  const CHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) {
    return false;
  }
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  const CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) {
    return std::string();
  }
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

std::set<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& pattern) {
  std::set<std::wstring> names;
  const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
  WIN32_FIND_DATAW data;
  CFindHandle search(FindFirstFileW((folder + (separated ? L"" : L"\\") + pattern).c_str(), &data));
  if (!search.IsValid()) {
    return names;
  }
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") {
      names.insert(name);
    }
  } while (FindNextFileW(search.get(), &data));
  return names;
}

void MakeFiles(const ScratchFolder& folder, const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    ASSERT_TRUE(WriteFileBytes(folder.File(name), "x")) << name.c_str();
  }
}

}  // namespace test_support
