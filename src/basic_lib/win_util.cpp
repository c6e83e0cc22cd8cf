#include "basic_lib/win_util.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <climits>
#include <mutex>

namespace win_util {

namespace {

constexpr DWORD kMessageFilterAllow = 1;  // MSGFLT_ALLOW
constexpr DWORD kMessageFilterAdd = 1;    // MSGFLT_ADD

DWORD AttributesOf(const std::wstring& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
}

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

}  // namespace

bool PathExists(const std::wstring& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool FileExists(const std::wstring& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolder(const std::wstring& folder) {
  return FolderExists(folder) || (!folder.empty() && CreateDirectoryW(folder.c_str(), nullptr));
}

bool CreateFolderTree(const std::wstring& folder) {
  return FolderExists(folder) ||
         (!folder.empty() &&
          SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS);
}

std::wstring WithTrailingSeparator(std::wstring path) {
  if (!path.empty() && path.back() != L'\\') {
    path += L'\\';
  }
  return path;
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) {
    path.pop_back();
  }
  return path;
}

std::wstring ParentFolder(const std::wstring& folder) {
  const std::wstring trimmed = WithoutTrailingSeparator(folder);
  const size_t slash = trimmed.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : trimmed.substr(0, slash + 1);
}

std::wstring ProgramFolder() {
  static std::once_flag once;
  static std::wstring folder;
  std::call_once(once, [] {
    wchar_t path[MAX_PATH] = {};
    wchar_t canonical[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    PathCanonicalizeW(canonical, path);
    folder = canonical;
    if (folder.empty() || folder.back() != L'\\') {
      folder += L'\\';
    }
  });
  return folder;
}

std::string Utf16ToUtf8(std::wstring_view text) {
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) {
    return std::string();
  }
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    return std::string();
  }
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &bytes[0], length, nullptr, nullptr);
  return bytes;
}

std::wstring ToUtf16(std::string_view bytes, UINT code_page, DWORD flags) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) {
    return std::wstring();
  }
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(code_page, flags, bytes.data(), size, nullptr, 0);
  if (length <= 0) {
    return std::wstring();
  }
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, flags, bytes.data(), size, &text[0], length);
  return text;
}

bool AllowMessageForWindow(HWND hwnd, UINT message) {
  using FilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  const auto filter_ex = GetProcAddressAs<FilterExFn>(User32(), "ChangeWindowMessageFilterEx");
  if (!filter_ex) {
    return false;
  }
  filter_ex(hwnd, message, kMessageFilterAllow, nullptr);
  return true;
}

void AllowMessageFromLowerIntegrity(HWND hwnd, UINT message) {
  if (AllowMessageForWindow(hwnd, message)) {
    return;
  }
  using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
  if (const auto filter = GetProcAddressAs<FilterFn>(User32(), "ChangeWindowMessageFilter")) {
    filter(message, kMessageFilterAdd);
  }
}

}  // namespace win_util
