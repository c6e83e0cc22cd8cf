#include "image/image_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ImageFormatClass, Table) {
  const struct {
    const wchar_t* name;
    unsigned int expected;
  } cases[] = {
      {L"a.bmp", 1},
      {L"a.dib", 1},
      {L"photo.jpg", 2},
      {L"photo.JPG", 2},
      {L"photo.jpe", 2},
      {L"a.jpeg", 2},
      {L"a.JfIf", 2},
      {L"a.gif", 3},
      {L"a.tif", 4},
      {L"a.TIFF", 4},
      {L"a.png", 5},
      {L"a.ico", 6},
      {L"a.psd", 7},
      {L"a.tga", 8},
      {L"a.oxo", 9},
      {L"a.wmf", 12},
      {L"a.emf", 13},
      // jng and j2c stand in the last list too, but their own lists come first.
      {L"a.jng", 14},
      {L"a.j2c", 15},
      {L"a.J2C", 15},
      {L"a.j2k", 11},
      {L"a.arw", 10},
      {L"a.cr2", 10},
      {L"a.x3f", 10},
      {L"a.CR3", 10},
      {L"a.3fr", 10},
      {L"a.rgb", 11},
      {L"a.rgba", 11},
      {L"a.webp", 11},
      // Phones' photos: decoded by the external module, like WebP.
      {L"a.heic", 11},
      {L"a.HEIF", 11},
      {L"a.hif", 11},
      {L"a.avif", 11},
      {L"a.pcx", 11},
      {L"a.xpm", 11},
      {L"a.cut", 11},
      // Whole entries only.
      {L"a.jp", 0},
      {L"a.pn", 0},
      {L"a.targa", 0},
      {L"a.jpgx", 0},
      {L"photo.jpg.bak", 0},
      {L"noextension", 0},
      {L"endsindot.", 0},
      {L"", 0},
      {L".", 0},
      {L"..", 0},
      {L"...", 0},
      {L".png", 5},
      // Only the last dot of the file name counts, not dots of folders.
      {L"C:\\pics.jpg\\file", 0},
      {L"C:\\pics\\a.b.png", 5},
      {L"C:\\a.jpg\\b.gif", 3},
      {L"a.,", 0},
      {L"a.,jpg", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetImageFormatClass(c.name), c.expected)
        << std::string(c.name, c.name + wcslen(c.name));
  }
}

TEST(ImageFormatClass, BadNamesStillGetAClass) {
  EXPECT_EQ(GetImageFormatClass(static_cast<const wchar_t*>(nullptr)), 0u);
  EXPECT_EQ(GetImageFormatClass(std::wstring(100000, L'.')), 0u);
  EXPECT_EQ(GetImageFormatClass(std::wstring(100000, L'a') + L".png"), 5u);
  EXPECT_EQ(GetImageFormatClass(L"a." + std::wstring(100000, L'j')), 0u);
}

TEST(ImageFormatClass, NativeEncodableGroup) {
  for (unsigned int c = 0; c <= 15; ++c) {
    EXPECT_EQ(IsNativeEncodableClass(c), c >= 1 && c <= 5) << c;
  }
}

TEST(SaveFilter, ExtensionPerIndex) {
  const std::pair<int, const wchar_t*> cases[] = {
      {1, L".jpg"},  {2, L".png"}, {3, L".bmp"}, {4, L".gif"},
      {5, L".tiff"}, {0, L".jpg"}, {6, L".jpg"}, {-1, L".jpg"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(GetSaveExtensionForFilter(c.first), c.second) << c.first;
  }
}

TEST(SaveFilter, TypedNamesKeepOrGetExtension) {
  const struct {
    const wchar_t* typed;
    int filter;
    const wchar_t* expected;
  } cases[] = {
      {L"copy", 2, L"copy.png"},     {L"C:\\x\\a.tif", 1, L"C:\\x\\a.tif"},
      {L"a.webp", 1, L"a.webp.jpg"}, {L"a.JPEG", 5, L"a.JPEG"},
      {L"a.bmp", 2, L"a.bmp"},       {L"a.gif", 3, L"a.gif"},
      {L"a.psd", 4, L"a.psd.gif"},   {L"a.", 5, L"a..tiff"},
      {L"a", 9, L"a.jpg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApplySaveExtension(c.typed, c.filter), c.expected);
  }
}

TEST(OpenFilter, CaptionAndPatterns) {
  const std::wstring filter = GetOpenFileFilter(L"All pictures");
  EXPECT_EQ(filter.rfind(L"All pictures (*.*)|*.bmp;*.dib;*.jpg;", 0), 0u);
  EXPECT_NE(filter.find(L";*.targa;"), std::wstring::npos);
  EXPECT_NE(filter.find(L";*.webp;"), std::wstring::npos);
  for (const wchar_t* pattern : {L";*.heic;", L";*.heif;", L";*.hif;", L";*.avif;", L";*.cr3;"}) {
    EXPECT_NE(filter.find(pattern), std::wstring::npos);
  }
  EXPECT_EQ(filter.find(L"*.oxo"), std::wstring::npos);
  EXPECT_EQ(filter.find(L"*.wmf"), std::wstring::npos);
  EXPECT_EQ(filter.find(L"*.emf"), std::wstring::npos);
  EXPECT_EQ(filter.substr(filter.size() - 8), L";*.x3f||");
  EXPECT_EQ(filter.find(L"%s"), std::wstring::npos);
}

}  // namespace
