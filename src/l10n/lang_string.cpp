#include "l10n/lang_string.h"

#include <windows.h>

#include "l10n/language_file.h"

namespace {

// The reader answers this default for a missing key, which no value in an
// INI file can hold, so a missing key and an empty value can be told apart.
constexpr const wchar_t* kMissing = L"\n";

}  // namespace

std::wstring ReadLangString(const std::wstring& file_path, const wchar_t* section,
                            const wchar_t* key) {
  if (!section || !key) {
    return std::wstring();
  }
  wchar_t buffer[256];
  const DWORD length =
      GetPrivateProfileStringW(section, key, kMissing, buffer, 256, file_path.c_str());
  if (length == 1 && buffer[0] == L'\n') {
    return std::wstring();
  }
  if (length < 249) {
    return std::wstring(buffer, length);
  }
  std::wstring long_value(4096, L'\0');
  const DWORD long_length =
      GetPrivateProfileStringW(section, key, kMissing, &long_value[0], 4096, file_path.c_str());
  long_value.resize(long_length);
  return long_value;
}

std::wstring GetLangString(const wchar_t* section, const wchar_t* key) {
  return ReadLangString(GetLanguageFolder() + GetCurrentLanguageFile(), section, key);
}

std::wstring GetLangStringById(const wchar_t* section, int id) {
  return GetLangString(section, std::to_wstring(id).c_str());
}

std::wstring GetTitleString(int id) { return GetLangStringById(L"TITLE", id); }
