#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "l10n/lang_string.h"
#include "l10n/language_file.h"
#include "l10n/multi_language_loader.h"
#include "basic_lib/win_util.h"
#include "support/test_paths.h"

using test_support::ScratchFolder;
using test_support::WriteFileBytes;

namespace {

// Language files are UTF-16LE with a byte order mark.
bool WriteUtf16Ini(const std::wstring& path, const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  return WriteFileBytes(path, bytes);
}

// Restores the language file in use when a test changes it.
class CurrentLanguageScope {
 public:
  explicit CurrentLanguageScope(const std::wstring& name) : saved_(GetCurrentLanguageFile()) {
    EXPECT_TRUE(SetCurrentLanguageFile(name));
  }
  ~CurrentLanguageScope() { SetCurrentLanguageFile(saved_); }

 private:
  std::wstring saved_;
};

}  // namespace

TEST(LangStringTest, ReadsPresentEmptyAndMissingKeys) {
  ScratchFolder folder(L"lang-read");
  const std::wstring file = folder.File(L"xx.ini");
  ASSERT_TRUE(WriteUtf16Ini(file,
                            L"[TOOLBAR]\r\n3=Actual size\r\nempty=\r\n  7 =  padded  \r\n"
                            L"[TITLE]\r\n10=\x5343\x4E07\x50CF\x7D20\r\n"));
  struct Case {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"TOOLBAR", L"3", L"Actual size"},
      {L"toolbar", L"3", L"Actual size"},  // sections and keys ignore case
      {L"TOOLBAR", L"7", L"padded"},
      {L"TOOLBAR", L"empty", L""},
      {L"TOOLBAR", L"99", L""},
      {L"MISSING", L"3", L""},
      {L"TITLE", L"10", L"\x5343\x4E07\x50CF\x7D20"},
      {nullptr, L"3", L""},
      {L"TOOLBAR", nullptr, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ReadLangString(file, c.section, c.key))
        << (c.section ? c.section : L"(null)") << L"/" << (c.key ? c.key : L"(null)");
  }
  EXPECT_EQ(L"", ReadLangString(folder.File(L"absent.ini"), L"TOOLBAR", L"3"));
}

TEST(LangStringTest, LongValuesAreReadAgainWhole) {
  ScratchFolder folder(L"lang-long");
  const std::wstring file = folder.File(L"xx.ini");
  const std::wstring v248(248, L'a');
  const std::wstring v249(249, L'b');
  const std::wstring v300 = std::wstring(299, L'c') + L"\x4E2D";
  const std::wstring v5000(5000, L'd');
  ASSERT_TRUE(WriteUtf16Ini(file, L"[S]\r\na=" + v248 + L"\r\nb=" + v249 + L"\r\nc=" + v300 +
                                      L"\r\nd=" + v5000 + L"\r\n"));
  EXPECT_EQ(v248, ReadLangString(file, L"S", L"a"));
  EXPECT_EQ(v249, ReadLangString(file, L"S", L"b"));
  EXPECT_EQ(v300, ReadLangString(file, L"S", L"c"));
  // The second read holds 4096 characters with its terminator.
  EXPECT_EQ(v5000.substr(0, 4095), ReadLangString(file, L"S", L"d"));
}

TEST(LangStringTest, BadFilesGiveEmptyTextsAndNoCrash) {
  ScratchFolder folder(L"lang-bad");
  const std::wstring empty = folder.File(L"empty.ini");
  ASSERT_TRUE(WriteFileBytes(empty, ""));
  EXPECT_EQ(L"", ReadLangString(empty, L"app", L"NAME"));

  std::string binary;
  for (int i = 0; i < 70000; ++i) {
    binary.push_back(static_cast<char>((i * 7919 + (i >> 3)) & 0xFF));
  }
  const std::wstring garbage = folder.File(L"binary.ini");
  ASSERT_TRUE(WriteFileBytes(garbage, binary));
  EXPECT_EQ(L"", ReadLangString(garbage, L"app", L"NAME"));

  // A huge file is read whole; the key after the filler is still found.
  std::string huge = "[filler]\r\n";
  for (int i = 0; huge.size() < 4 * 1024 * 1024; ++i) {
    huge += "key" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
  }
  huge += "[app]\r\nNAME=Found\r\n";
  const std::wstring big = folder.File(L"huge.ini");
  ASSERT_TRUE(WriteFileBytes(big, huge));
  EXPECT_EQ(L"Found", ReadLangString(big, L"app", L"NAME"));
}

TEST(LangStringTest, LookupsReadTheLanguageFileInUse) {
  // The program's own files, laid out in locales\ beside this test program.
  ASSERT_TRUE(win_util::PathExists(GetLanguageFolder() + L"en.ini")) << GetLanguageFolder();
  {
    CurrentLanguageScope english(L"en.ini");
    EXPECT_EQ(L"Lumora", GetLangString(L"app", L"NAME"));
    EXPECT_EQ(L"Menu (M)", GetLangStringById(L"TOOLBAR", 17));
    EXPECT_EQ(L"[", GetTitleString(40));
    EXPECT_EQ(L"", GetLangStringById(L"TOOLBAR", 14));  // a key no file holds
    CMultiLanguageLoader loader(L"DLG_SETTING");
    EXPECT_EQ(L"Mouse wheel", loader.GetString(100));
  }
  {
    CurrentLanguageScope chinese(L"cn_simp.ini");
    EXPECT_EQ(L"Lumora\x770B\x56FE", GetLangString(L"app", L"NAME"));
    EXPECT_EQ(L"\x7B2C", GetTitleString(40));
    EXPECT_EQ(L"\x9F20\x6807\x6EDA\x8F6E", CMultiLanguageLoader(L"DLG_SETTING").GetString(100));
  }
  {
    // A file that went missing after start-up gives empty texts.
    CurrentLanguageScope missing(L"fr.ini");
    EXPECT_EQ(L"", GetLangString(L"app", L"NAME"));
  }
}

TEST(LanguageFileTest, ResolutionFallsBackToEnglish) {
  ScratchFolder folder(L"lang-resolve");
  const std::wstring locales = folder.path() + L"\\";
  const std::wstring name31 = std::wstring(27, 'n') + L".ini";
  const std::wstring name32 = std::wstring(28, 'n') + L".ini";
  ASSERT_EQ(31u, name31.size());
  for (const std::wstring& name : {std::wstring(L"en.ini"), std::wstring(L"cn_simp.ini"), name31,
                                   name32, std::wstring(L"notes.txt")}) {
    ASSERT_TRUE(WriteFileBytes(folder.File(name), "\xFF\xFE"));
  }
  ASSERT_TRUE(CreateDirectoryW(folder.File(L"dir.ini").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder.path() + L"\\..\\lumora-outside.ini", ""));

  struct Case {
    std::wstring configured;
    std::wstring resolved;
  };
  const Case cases[] = {
      {L"cn_simp.ini", L"cn_simp.ini"},
      {L"CN_SIMP.INI", L"CN_SIMP.INI"},  // found on a case-insensitive file system
      {L"en.ini", L"en.ini"},
      {L"fr.ini", L"en.ini"},  // not installed
      {L"", L"en.ini"},
      {L"cn_simp", L"en.ini"},  // no ".ini"
      {L"notes.txt", L"en.ini"},
      {L"dir.ini", L"en.ini"},  // a folder, not a file
      {name31, name31},
      {name32, L"en.ini"},  // does not fit the current name
      {L"..\\lumora-outside.ini", L"en.ini"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.resolved, ResolveLanguageFile(c.configured, locales)) << c.configured;
  }
  DeleteFileW((folder.path() + L"\\..\\lumora-outside.ini").c_str());
}

TEST(LanguageFileTest, CurrentNameHoldsAtMost31Characters) {
  const std::wstring saved = GetCurrentLanguageFile();
  EXPECT_FALSE(SetCurrentLanguageFile(std::wstring(28, 'n') + L".ini"));
  EXPECT_FALSE(SetCurrentLanguageFile(L""));
  EXPECT_EQ(saved, GetCurrentLanguageFile());
  EXPECT_TRUE(SetCurrentLanguageFile(std::wstring(27, 'n') + L".ini"));
  EXPECT_EQ(std::wstring(27, 'n') + L".ini", GetCurrentLanguageFile());
  SetCurrentLanguageFile(saved);
}

TEST(LanguageFileTest, ChineseAndCjkTestsAreExactAndCaseSensitive) {
  struct Case {
    const wchar_t* file;
    bool chinese;
    bool cjk;
  };
  const Case cases[] = {
      {L"cn_simp.ini", true, true},    {L"cn_trad.ini", true, true},   {L"ja.ini", false, true},
      {L"ko.ini", false, true},        {L"CN_SIMP.INI", false, false}, {L"en.ini", false, false},
      {L"cn_simp.ini2", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.chinese, IsChineseLanguageFile(c.file)) << c.file;
    EXPECT_EQ(c.cjk, IsCJKLanguageFile(c.file)) << c.file;
    CurrentLanguageScope scope(c.file);
    EXPECT_EQ(c.chinese, IsChineseLanguage()) << c.file;
    EXPECT_EQ(c.cjk, IsCJKLanguage()) << c.file;
  }
}
