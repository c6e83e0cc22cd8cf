#pragma once

#include <string>
#include <utility>

// Gives a window the texts of one section of the language file by number
// (the settings dialog uses the section "DLG_SETTING").
class CMultiLanguageLoader {
 public:
  explicit CMultiLanguageLoader(std::wstring section) : section_(std::move(section)) {}
  virtual ~CMultiLanguageLoader() = default;

  std::wstring GetString(int id) const;
  const std::wstring& section() const { return section_; }

 private:
  std::wstring section_;
};
