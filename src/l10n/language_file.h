#pragma once

#include <string>

// Where the language files are and which one is in use. The choice is made
// once at start-up by the settings store and does not change afterwards.

// "<program folder>\locales\", computed once.
std::wstring GetLanguageFolder();

// The bare file name of the language file in use, "en.ini" until the
// settings store picks another.
std::wstring GetCurrentLanguageFile();

// The longest name the current language file name can hold.
constexpr size_t kMaxLanguageFileName = 31;

// Makes |file_name| the language file in use. Refused (returning false) for
// names too long to hold.
bool SetCurrentLanguageFile(const std::wstring& file_name);

// The language file a configured name stands for: the name itself when it
// contains ".ini" (any case), fits the current name and exists in |folder|
// (with a trailing backslash); otherwise "en.ini".
std::wstring ResolveLanguageFile(const std::wstring& configured, const std::wstring& folder);

// Chinese: exactly "cn_simp.ini" or "cn_trad.ini". CJK adds "ja.ini" and "ko.ini".
// The comparison is case-sensitive.
bool IsChineseLanguageFile(const std::wstring& file_name);
bool IsCJKLanguageFile(const std::wstring& file_name);
// The same tests for the language file in use.
bool IsChineseLanguage();
bool IsCJKLanguage();
