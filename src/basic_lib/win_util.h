#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Plain helpers the areas share: files and folders, text encodings, typed
// entry points of loaded modules and the message filter.
namespace win_util {

// Whether a file or folder is at path (false for an empty path).
bool PathExists(const std::wstring& path);
// Only a file, not a folder, counts.
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Creates one folder level; true when the folder exists afterwards.
bool CreateFolder(const std::wstring& folder);
// Creates the folder and every missing level above it.
bool CreateFolderTree(const std::wstring& folder);

// The path with one closing backslash; an empty path stays empty.
std::wstring WithTrailingSeparator(std::wstring path);
// The path without closing backslashes or slashes.
std::wstring WithoutTrailingSeparator(std::wstring path);
// The folder above, with a trailing backslash; empty at the top.
std::wstring ParentFolder(const std::wstring& folder);
// The folder of the running program, canonicalised, with a trailing
// backslash; computed once.
std::wstring ProgramFolder();

std::string Utf16ToUtf8(std::wstring_view text);
// Bytes in code_page (CP_UTF8, CP_ACP, CP_THREAD_ACP) as UTF-16; empty when
// they do not convert (with MB_ERR_INVALID_CHARS: when any byte is invalid).
std::wstring ToUtf16(std::string_view bytes, UINT code_page, DWORD flags = 0);

// An address GetProcAddress returned, as the function type Fn.
template <class Fn>
Fn FunctionAs(FARPROC function) {
  // Through void (*)(), which stands for any function type, so the cast to
  // the real signature is not taken for a mismatch.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(function));
}

// An exported function of module as the function type Fn; null when the
// module or the export is missing.
template <class Fn>
Fn GetProcAddressAs(HMODULE module, const char* name) {
  return module ? FunctionAs<Fn>(::GetProcAddress(module, name)) : nullptr;
}

// Admits message to hwnd from processes of lower integrity with the
// window's own filter (Windows 7 on); false where the system lacks it.
bool AllowMessageForWindow(HWND hwnd, UINT message);
// The same; where only the process-wide filter exists (Vista), message is
// admitted for the whole process instead.
void AllowMessageFromLowerIntegrity(HWND hwnd, UINT message);

}  // namespace win_util
