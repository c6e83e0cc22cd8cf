#include "toolkit/skin_markup.h"

#include <gtest/gtest.h>

#include "toolkit/skin_attributes.h"
#include "toolkit/tests/zip_writer.h"

namespace {

using toolkit_test::Bytes;

TEST(SkinMarkup, ReadsElementsAttributesAndChineseText) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n"
      "<!-- a comment -->\n"
      "<Window size=\"392,182\" caption=\"0,0,0,182\">\n"
      "  <Font name=\"微软雅黑\" size=\"13\" />\n"
      "  <VerticalLayout bkimage=\"file='images/a.png' source='0,0,1,1'\">\n"
      "    <Button name=\"cls\" text=\"确定 &amp; &quot;OK&quot;\"/>\n"
      "    text between elements is no part of a skin\n"
      "  </VerticalLayout>\n"
      "</Window>\n";
  CMarkupNode root;
  std::wstring error;
  ASSERT_TRUE(ParseSkinMarkup(Bytes(xml), &root, &error)) << error;
  EXPECT_EQ(root.name, L"Window");
  ASSERT_EQ(root.attributes.size(), 2u);
  EXPECT_EQ(*root.Attribute(L"SIZE"), L"392,182");
  EXPECT_EQ(root.Attribute(L"missing"), nullptr);
  ASSERT_EQ(root.children.size(), 2u);
  EXPECT_EQ(*root.children[0].Attribute(L"name"), L"微软雅黑");
  const CMarkupNode& layout = root.children[1];
  EXPECT_EQ(*layout.Attribute(L"bkimage"), L"file='images/a.png' source='0,0,1,1'");
  ASSERT_EQ(layout.children.size(), 1u);
  EXPECT_EQ(*layout.children[0].Attribute(L"text"), L"确定 & \"OK\"");
}

TEST(SkinMarkup, DamagedOrHostileSkinsAreRefused) {
  const std::string huge_value(20000, 'x');
  std::string deep;
  for (int i = 0; i < 100; ++i) {
    deep += "<Container>";
  }
  for (int i = 0; i < 100; ++i) {
    deep += "</Container>";
  }
  const struct {
    const char* what;
    std::string xml;
  } cases[] = {
      {"empty", ""},
      {"not XML", "PNG\x89 binary"},
      {"unclosed element", "<Window><VerticalLayout></Window>"},
      {"cut off", "<Window size=\"392,18"},
      {"two roots", "<Window/><Window/>"},
      {"huge attribute", "<Window text=\"" + huge_value + "\"/>"},
      {"nesting too deep", "<Window>" + deep + "</Window>"},
      {"document type", "<!DOCTYPE Window [<!ENTITY a \"aaaa\">]><Window text=\"&a;\"/>"},
      {"undeclared entity", "<Window text=\"&bomb;\"/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CMarkupNode root;
    std::wstring error;
    EXPECT_FALSE(ParseSkinMarkup(Bytes(c.xml), &root, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(SkinAttributes, ValueForms) {
  using namespace skin_attr;
  CBox box;
  ASSERT_TRUE(ParseBox(L"0,5", &box));
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 5);
  EXPECT_EQ(box.right, 0);
  ASSERT_TRUE(ParseBox(L" 43, 25 ,343,90", &box));
  EXPECT_EQ(box.right, 343);
  EXPECT_EQ(box.bottom, 90);
  EXPECT_TRUE(ParseBox(L"-4,0,0,0", &box));
  EXPECT_EQ(box.left, -4);
  for (const wchar_t* bad : {L"", L"1,2,3,4,5", L"a,b", L"1,,2", L"99999999999,0", L"1.5,2"}) {
    EXPECT_FALSE(ParseBox(bad, &box)) << bad;
  }
  uint32_t color = 0;
  ASSERT_TRUE(ParseColor(L"#ffffffff", &color));
  EXPECT_EQ(color, 0xFFFFFFFFu);
  ASSERT_TRUE(ParseColor(L"#80112233", &color));
  EXPECT_EQ(color, 0x80112233u);
  ASSERT_TRUE(ParseColor(L"#112233", &color));
  EXPECT_EQ(color, 0xFF112233u);
  ASSERT_TRUE(ParseColor(L"0xFF888888", &color));
  EXPECT_EQ(color, 0xFF888888u);
  for (const wchar_t* bad : {L"", L"#", L"#12345", L"#GG000000", L"red", L"112233"}) {
    EXPECT_FALSE(ParseColor(bad, &color)) << bad;
  }
  bool flag = false;
  EXPECT_TRUE(ParseBool(L"TRUE", &flag) && flag);
  EXPECT_TRUE(ParseBool(L"false", &flag) && !flag);
  EXPECT_FALSE(ParseBool(L"yes", &flag));
}

TEST(SkinAttributes, PictureSyntax) {
  using namespace skin_attr;
  CImageSpec look;
  ASSERT_TRUE(ParseImageSpec(L"images/bg_msg.png", &look));
  EXPECT_EQ(look.file, L"images/bg_msg.png");
  EXPECT_FALSE(look.has_source);
  ASSERT_TRUE(ParseImageSpec(
      L"file='images/icon.png' source='20,0,40,20' dest='12,8,32,28' corner='1,2,3,4' fade='128'",
      &look));
  EXPECT_EQ(look.file, L"images/icon.png");
  EXPECT_TRUE(look.has_source);
  EXPECT_EQ(look.source.left, 20);
  EXPECT_EQ(look.source.right, 40);
  EXPECT_TRUE(look.has_dest);
  EXPECT_EQ(look.dest.top, 8);
  EXPECT_EQ(look.corner.bottom, 4);
  EXPECT_EQ(look.fade, 128);
  ASSERT_TRUE(ParseImageSpec(L"file=\"a.png\" hole='true'", &look));
  EXPECT_TRUE(look.hole);
  for (const wchar_t* bad : {L"", L"file='a.png", L"file=a.png", L"source='0,0,1,1'",
                             L"file='a.png' source='x'", L"file='a.png' fade='300'"}) {
    EXPECT_FALSE(ParseImageSpec(bad, &look)) << bad;
  }
}

}  // namespace
