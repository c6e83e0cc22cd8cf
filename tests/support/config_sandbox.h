#pragma once

#include <memory>
#include <string>

#include "config/app_config.h"
#include "support/test_paths.h"

namespace test_support {

// A settings file and a language folder of the test's own, never the user's.
class ConfigSandbox {
 public:
  explicit ConfigSandbox(const std::wstring& name)
      : folder_(name),
        settings_file_(folder_.File(L"data\\config.ini")),
        language_folder_(folder_.File(L"locales\\")) {
    CreateDirectoryW(folder_.File(L"data").c_str(), nullptr);
    CreateDirectoryW(folder_.File(L"locales").c_str(), nullptr);
    for (const wchar_t* file : {L"en.ini", L"cn_simp.ini"}) {
      WriteFileBytes(language_folder_ + file, "\xFF\xFE");
    }
  }

  // Writes config.ini as ANSI text, the form a hand-edited file has.
  bool WriteSettings(const std::string& text) const { return WriteFileBytes(settings_file_, text); }
  std::string ReadSettingsBytes() const { return ReadFileBytes(settings_file_); }

  std::unique_ptr<CAppConfig> MakeConfig() const {
    return std::make_unique<CAppConfig>(settings_file_, language_folder_);
  }

  const std::wstring& settings_file() const { return settings_file_; }
  const std::wstring& language_folder() const { return language_folder_; }
  const ScratchFolder& folder() const { return folder_; }

 private:
  ScratchFolder folder_;
  std::wstring settings_file_;
  std::wstring language_folder_;
};

}  // namespace test_support
