#pragma once

#include <string>

// Texts of the language file in use (see language_file.h). A missing file,
// section or key gives an empty text; there is no fallback to another
// language for single keys. The file is read at every lookup, from any thread.

std::wstring GetLangString(const wchar_t* section, const wchar_t* key);
// The key written in decimal.
std::wstring GetLangStringById(const wchar_t* section, int id);
// Section "TITLE".
std::wstring GetTitleString(int id);

// The same lookup in a language file of the caller's choice (full path).
std::wstring ReadLangString(const std::wstring& file_path, const wchar_t* section,
                            const wchar_t* key);
