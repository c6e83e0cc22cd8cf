// Checks the language files laid out in the program folder: every section and
// key the viewer looks up is there, in an encoding the profile reader reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "l10n/lang_string.h"
#include "support/test_paths.h"

namespace {

struct RequiredSection {
  const wchar_t* name;
  std::vector<std::wstring> keys;
};

std::vector<std::wstring> Numbers(std::initializer_list<std::pair<int, int>> ranges) {
  std::vector<std::wstring> keys;
  for (const auto& range : ranges) {
    for (int id = range.first; id <= range.second; ++id) {
      keys.push_back(std::to_wstring(id));
    }
  }
  return keys;
}

const std::vector<RequiredSection>& RequiredKeys() {
  static const std::vector<RequiredSection> sections = {
      {L"app", {L"NAME", L"LOAD_IMAGE_ERROR_TIP"}},
      {L"FILE", {L"SUPPORT_FILE", L"SAVE_ERROR"}},
      {L"TOOLBAR", Numbers({{1, 13}, {15, 18}})},
      {L"TITLE", Numbers({{10, 13}, {30, 32}, {40, 41}})},
      {L"EXIF", Numbers({{80, 83}})},
      {L"DLG_SETTING", Numbers({{1, 3}, {10, 16}, {19, 21}, {100, 110}, {113, 115}})},
  };
  return sections;
}

std::wstring LocalesFolder() { return test_support::DistFolder() + L"\\locales\\"; }

bool KeyPresent(const std::wstring& file, const wchar_t* section, const std::wstring& key) {
  wchar_t buffer[8];
  GetPrivateProfileStringW(section, key.c_str(), L"\n", buffer, 8, file.c_str());
  return buffer[0] != L'\n';
}

// Key names of a section, in file order.
std::vector<std::wstring> SectionKeys(const std::wstring& file, const wchar_t* section) {
  std::vector<wchar_t> buffer(65536);
  const DWORD length = GetPrivateProfileSectionW(section, buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), file.c_str());
  std::vector<std::wstring> keys;
  for (DWORD i = 0; i < length;) {
    const std::wstring entry(&buffer[i]);
    keys.push_back(entry.substr(0, entry.find(L'=')));
    i += static_cast<DWORD>(entry.size()) + 1;
  }
  return keys;
}

size_t ItemCount(const std::wstring& list) {
  size_t count = 1;
  for (wchar_t c : list) {
    count += c == L'/';
  }
  return count;
}

class ShippedLanguageFileTest : public testing::TestWithParam<const wchar_t*> {
 protected:
  std::wstring Path() const { return LocalesFolder() + GetParam(); }
};

}  // namespace

TEST_P(ShippedLanguageFileTest, IsUtf16WithByteOrderMark) {
  const std::string bytes = test_support::ReadFileBytes(Path());
  ASSERT_GE(bytes.size(), 2u) << "missing " << testing::PrintToString(Path());
  EXPECT_EQ("\xFF\xFE", bytes.substr(0, 2));
}

TEST_P(ShippedLanguageFileTest, HoldsEveryKeyTheViewerLooksUp) {
  for (const RequiredSection& section : RequiredKeys()) {
    for (const std::wstring& key : section.keys) {
      EXPECT_TRUE(KeyPresent(Path(), section.name, key)) << section.name << L"/" << key;
      // Only the title words may be empty: some languages need no word there.
      if (std::wstring(section.name) != L"TITLE") {
        EXPECT_NE(L"", ReadLangString(Path(), section.name, key.c_str()))
            << section.name << L"/" << key;
      }
    }
  }
}

TEST_P(ShippedLanguageFileTest, ExifListsHaveTheirItemCounts) {
  const std::map<int, size_t> counts = {{80, 7}, {81, 2}, {82, 2}, {83, 9}};
  for (const auto& [key, count] : counts) {
    const std::wstring list = ReadLangString(Path(), L"EXIF", std::to_wstring(key).c_str());
    EXPECT_EQ(count, ItemCount(list)) << key << L": " << list;
  }
}

TEST_P(ShippedLanguageFileTest, HasTheSameKeysAsEnglish) {
  const std::wstring english = LocalesFolder() + L"en.ini";
  for (const RequiredSection& section : RequiredKeys()) {
    EXPECT_EQ(SectionKeys(english, section.name), SectionKeys(Path(), section.name))
        << section.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Locales, ShippedLanguageFileTest,
                         testing::Values(L"en.ini", L"cn_simp.ini"));

TEST(ShippedLanguageFiles, ChineseTextsReadBackAsChinese) {
  const std::wstring chinese = LocalesFolder() + L"cn_simp.ini";
  // "第" and "张" around the position, "年" for the year.
  EXPECT_EQ(L"\x7B2C", ReadLangString(chinese, L"TITLE", L"40"));
  EXPECT_EQ(L"\x5F20", ReadLangString(chinese, L"TITLE", L"41"));
  EXPECT_EQ(L"\x5E74", ReadLangString(chinese, L"TITLE", L"30"));
  EXPECT_EQ(L"\x624B\x52A8/\x81EA\x52A8", ReadLangString(chinese, L"EXIF", L"82"));
}
