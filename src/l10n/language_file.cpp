#include "l10n/language_file.h"

#include <windows.h>
#include <shlwapi.h>

#include <mutex>

#include "basic_lib/win_util.h"

namespace {

std::mutex& NameLock() {
  static std::mutex lock;
  return lock;
}

std::wstring& CurrentName() {
  static std::wstring name = L"en.ini";
  return name;
}

}  // namespace

std::wstring GetLanguageFolder() { return win_util::ProgramFolder() + L"locales\\"; }

std::wstring GetCurrentLanguageFile() {
  std::lock_guard<std::mutex> guard(NameLock());
  return CurrentName();
}

bool SetCurrentLanguageFile(const std::wstring& file_name) {
  if (file_name.empty() || file_name.size() > kMaxLanguageFileName) {
    return false;
  }
  std::lock_guard<std::mutex> guard(NameLock());
  CurrentName() = file_name;
  return true;
}

std::wstring ResolveLanguageFile(const std::wstring& configured, const std::wstring& folder) {
  const std::wstring fallback = L"en.ini";
  if (configured.empty() || configured.size() > kMaxLanguageFileName ||
      !StrStrIW(configured.c_str(), L".ini")) {
    return fallback;
  }
  // Only a bare file name may pick the file; anything with a path part
  // would read texts from outside the language folder.
  if (configured.find_first_of(L"\\/:") != std::wstring::npos) {
    return fallback;
  }
  return win_util::FileExists(folder + configured) ? configured : fallback;
}

bool IsChineseLanguageFile(const std::wstring& file_name) {
  return file_name == L"cn_simp.ini" || file_name == L"cn_trad.ini";
}

bool IsCJKLanguageFile(const std::wstring& file_name) {
  return IsChineseLanguageFile(file_name) || file_name == L"ja.ini" || file_name == L"ko.ini";
}

bool IsChineseLanguage() { return IsChineseLanguageFile(GetCurrentLanguageFile()); }

bool IsCJKLanguage() { return IsCJKLanguageFile(GetCurrentLanguageFile()); }
