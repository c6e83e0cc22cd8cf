#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/window_placement.h"

namespace {

std::wstring Describe(const window_placement::Decision& decision) {
  return decision.maximize ? L"MAX" : window_placement::FormatRect(decision.rect);
}

}  // namespace

TEST(WindowPlacementTest, StoredTextsAreFittedToTheWorkArea) {
  const RECT full_hd = {0, 0, 1920, 1040};
  const RECT secondary = {1920, 0, 3840, 1040};
  struct Case {
    const wchar_t* stored;
    RECT work;
    const wchar_t* result;
  };
  const Case cases[] = {
      {L"100_100_3100_2100", full_hd, L"0_0_1920_1040"},        // 3000 x 2000 at (100, 100)
      {L"1800_900_2600_1500", full_hd, L"1120_440_1920_1040"},  // 800 x 600 partly off
      {L"1500_100_2300_700", full_hd, L"1120_100_1920_700"},
      {L"-50_-20_750_580", full_hd, L"0_0_800_600"},
      {L"100_100_900_700", full_hd, L"100_100_900_700"},
      {L"_100__100_900_700_", full_hd, L"100_100_900_700"},  // empty pieces skipped
      {L"0_0_400_300", full_hd, L"MAX"},                     // narrower than 700
      {L"1500_900_1900_1200", full_hd, L"MAX"},
      {L"100_100_700_500", full_hd, L"MAX"},  // 600 x 400
      {L"100_100_800_599", full_hd, L"MAX"},  // one pixel too low
      {L"100_100_800_600", full_hd, L"100_100_800_600"},
      {L"MAX", full_hd, L"MAX"},
      {L"", full_hd, L"MAX"},
      {L"1_2_3", full_hd, L"MAX"},
      {L"1_2_3_4_5", full_hd, L"MAX"},
      {L"900_100_100_700", full_hd, L"MAX"},  // right of left
      {L"-2147483648_-2147483648_2147483647_2147483647", full_hd, L"0_0_1920_1040"},
      {L"2147483647_2147483647_-2147483648_-2147483648", full_hd, L"MAX"},
      // Inside out by more than 32 bits can hold: once placed far off-screen.
      {L"2000000000_2000000000_-2000000000_-2000000000", full_hd, L"MAX"},
      {L"2000_100_2800_700", secondary, L"2000_100_2800_700"},
      {L"100_100_900_700", secondary, L"1920_100_2720_700"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, Describe(window_placement::Decide(c.stored, c.work))) << c.stored;
  }
}

TEST(WindowPlacementTest, DefaultRectTakesASixthAndATenthOff) {
  const RECT wide = window_placement::DefaultRect({0, 0, 1920, 1080});
  EXPECT_EQ(L"320_108_1600_972", window_placement::FormatRect(wide));
  EXPECT_EQ(L"320_108_1600_972", Describe(window_placement::Decide(
                                     window_placement::FormatRect(wide), {0, 0, 1920, 1080})));

  // 684 pixels wide on a 1024 x 768 work area: opens maximised.
  const RECT small = window_placement::DefaultRect({0, 0, 1024, 768});
  EXPECT_EQ(L"170_76_854_692", window_placement::FormatRect(small));
  EXPECT_EQ(L"MAX", Describe(window_placement::Decide(window_placement::FormatRect(small),
                                                      {0, 0, 1024, 768})));

  const RECT offset = window_placement::DefaultRect({100, 40, 1380, 840});
  EXPECT_EQ(L"313_120_1167_760", window_placement::FormatRect(offset));
}
