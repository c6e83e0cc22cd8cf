#include "widgets/window_title.h"

#include <gtest/gtest.h>

#include <string>

#include "l10n/language_file.h"

namespace {

// Runs the body with a language file in use, then goes back to English.
class LanguageScope {
 public:
  explicit LanguageScope(const wchar_t* file) { SetCurrentLanguageFile(file); }
  ~LanguageScope() { SetCurrentLanguageFile(L"en.ini"); }
};

TEST(WindowTitle, ShortNames) {
  EXPECT_EQ(CWindowTitle::ShortName(L"abcdef.jpg"), L"abcdef.jpg");
  EXPECT_EQ(CWindowTitle::ShortName(L"abcdefghij"), L"abcdefghij");
  EXPECT_EQ(CWindowTitle::ShortName(L"abcdefg.jpg"), L"abcdefg.jp...jpg");
  EXPECT_EQ(CWindowTitle::ShortName(L"holiday_photo.jpeg"), L"holiday_ph...jpeg");
  EXPECT_EQ(CWindowTitle::ShortName(L"a.b.c.d.e.png"), L"a.b.c.d.e....png");
  EXPECT_EQ(CWindowTitle::ShortName(L"no_extension_name"), L"no_extensi...no_extension_name");
}

TEST(WindowTitle, SizeTextInBothLanguageFamilies) {
  const struct {
    int width, height;
    const wchar_t* english;
    const wchar_t* chinese;
  } cases[] = {
      {1000, 1000, L"", L"1百万像素"},
      {1000, 999, L"", L""},
      {1001, 1000, L"1M pixels", L"1百万像素"},
      {4000, 3000, L"12M pixels", L"1千2百万像素"},
      {5000, 4000, L"20M pixels", L"2千万像素"},
      {3000, 3000, L"9M pixels", L"9百万像素"},
      {0, 0, L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CWindowTitle::SizeText(c.width, c.height, L"en.ini"), c.english)
        << c.width << "x" << c.height;
  }
  LanguageScope chinese(L"cn_simp.ini");
  for (const auto& c : cases) {
    EXPECT_EQ(CWindowTitle::SizeText(c.width, c.height, L"cn_simp.ini"), c.chinese)
        << c.width << "x" << c.height;
  }
}

TEST(WindowTitle, DatesSplitIntoSixPartsOnlyForEastAsianLanguages) {
  EXPECT_EQ(CWindowTitle::DateText(L"2024:05:06 07:08:09", L"en.ini"), L"2024:05:06 07:08:09");
  LanguageScope chinese(L"cn_simp.ini");
  EXPECT_EQ(CWindowTitle::DateText(L"2024:05:06 07:08:09", L"cn_simp.ini"), L"2024年05月06日");
  EXPECT_EQ(CWindowTitle::DateText(L"2024::05:06  07:08:09", L"cn_simp.ini"), L"2024年05月06日");
  EXPECT_EQ(CWindowTitle::DateText(L"2024:05:06", L"cn_simp.ini"), L"2024:05:06");
  EXPECT_EQ(CWindowTitle::DateText(L"2024:05:06 07:08:09", L"fr.ini"), L"2024:05:06 07:08:09");
}

TEST(WindowTitle, TitleLines) {
  const std::wstring position = CWindowTitle::PositionText(3, 12);
  EXPECT_EQ(position, L"[3/12]");
  const struct {
    const wchar_t* name;
    int width, height, zoom;
    const wchar_t* date;
    std::wstring expected;
  } cases[] = {
      {L"", 640, 480, 100, L"", L""},
      {L"a.jpg", 0, 0, 100, L"", L"a.jpg - [3/12]"},
      {L"a.jpg", 640, 480, 50, L"", L"a.jpg ( 640x480 ) - [3/12] 50%"},
      {L"a.jpg", 4000, 3000, 8, L"2024:05:06 07:08:09",
       L"a.jpg ( 4000x3000 , 12M pixels , 2024:05:06 07:08:09 ) - [3/12] 8%"},
      {L"holiday_photo.jpeg", 800, 600, 100, L"", L"holiday_ph...jpeg ( 800x600 ) - [3/12] 100%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CWindowTitle::BuildTitleLine(c.name, c.width, c.height, position, c.zoom, c.date,
                                           L"en.ini"),
              c.expected);
  }
}

TEST(WindowTitle, NewPictureResetsPositionAndZoom) {
  CWindowTitle title;
  title.SetPosition(2, 5);
  title.SetZoom(0.256f);
  EXPECT_EQ(title.zoom_percent(), 25);
  title.SetPicture(L"C:\\pics\\b.png", 10, 20, L"");
  EXPECT_EQ(title.file_name(), L"b.png");
  EXPECT_EQ(title.position_text(), L"");
  EXPECT_EQ(title.zoom_percent(), 100);
  EXPECT_EQ(title.TitleLine(), L"b.png ( 10x20 ) -  100%");
}

}  // namespace
