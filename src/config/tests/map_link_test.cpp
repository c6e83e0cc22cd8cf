#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/map_link.h"
#include "support/config_sandbox.h"

using test_support::ConfigSandbox;

TEST(MapLinkTest, EachVendorGetsItsMarkerLink) {
  EXPECT_EQ(
      L"http://api.map.baidu.com/marker?location=30.500000,-120.250000&title=Here"
      L"&content=%E6%8B%8D%E6%91%84%E5%9C%B0&output=html&coord_type=wgs84&src=ReziVavor",
      map_link::BuildMapLink(1, L"30.500000,-120.250000"));
  EXPECT_EQ(
      L"https://apis.map.qq.com/uri/v1/marker?marker=coord:30.500000,-120.250000;title:Here"
      L"&coord_type=1&referer=ReziVavor",
      map_link::BuildMapLink(0, L"30.500000,-120.250000"));
}

TEST(MapLinkTest, AnythingButTwoCoordinatesGivesNoLink) {
  const wchar_t* bad[] = {
      L"",         L"30.5",      L"30.5,", L",120",    L"abc,def",
      L"91,0",     L"0,181",     L"1e5,2", L" 30,120", L"30,120&x=1",
      L"30,120,5", L"30..5,120", L"-,120", L"30;120",  L"30,120 ",
  };
  for (const wchar_t* location : bad) {
    EXPECT_EQ(L"", map_link::BuildMapLink(1, location)) << location;
    EXPECT_EQ(L"", map_link::BuildMapLink(0, location)) << location;
  }
  EXPECT_NE(L"", map_link::BuildMapLink(0, L"-90,180"));
  EXPECT_NE(L"", map_link::BuildMapLink(0, L"0,0"));
}

TEST(MapLinkTest, ConfigUsesTheChosenVendorAndRefusesBadPositions) {
  ConfigSandbox sandbox(L"config-map");
  auto config = sandbox.MakeConfig();
  config->gps_map_vendor = 1;
  EXPECT_EQ(map_link::BuildMapLink(1, L"1.5,2.5"), config->MapLink(L"1.5,2.5"));
  config->gps_map_vendor = 0;
  EXPECT_EQ(map_link::BuildMapLink(0, L"1.5,2.5"), config->MapLink(L"1.5,2.5"));
  // Nothing is handed to the shell for a malformed position.
  EXPECT_FALSE(config->OpenMapLink(L"file:///C:/windows"));
  EXPECT_FALSE(config->OpenMapLink(L""));
}
