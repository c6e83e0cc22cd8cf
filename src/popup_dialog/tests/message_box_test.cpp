#include "popup_dialog/message_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/message_box_watcher.h"

namespace {

HWND CreateOwner(int x, int y, int width, int height) {
  return CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, x, y, width, height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

POINT CentreOf(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST(MessageBox, ShowsTheTextCentredOnItsOwner) {
  // Off-centre on the screen, so a box centred on the screen would miss.
  HWND owner = CreateOwner(40, 60, 700, 500);
  ASSERT_NE(owner, nullptr);
  test_support::MessageBoxWatcher watcher;
  const int result = ShowMessageBox(owner, L"保存失败");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(seen[0].text, L"保存失败");
  EXPECT_EQ(seen[0].owner, owner);
  RECT owner_rect = {};
  GetWindowRect(owner, &owner_rect);
  const POINT box_centre = CentreOf(seen[0].rect);
  const POINT owner_centre = CentreOf(owner_rect);
  EXPECT_LE(std::abs(box_centre.x - owner_centre.x), 2);
  EXPECT_LE(std::abs(box_centre.y - owner_centre.y), 2);
  DestroyWindow(owner);
}

TEST(MessageBox, TheButtonCarriesTheGivenText) {
  test_support::MessageBoxWatcher watcher;
  ShowMessageBox(nullptr, L"GIF图片格式暂不支持格式转换哦~", L"我知道了");
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].button, L"我知道了");
  EXPECT_EQ(seen[0].text, L"GIF图片格式暂不支持格式转换哦~");
}

TEST(MessageBox, AGoneOwnerFallsBackToNoOwner) {
  HWND owner = CreateOwner(0, 0, 100, 100);
  DestroyWindow(owner);
  test_support::MessageBoxWatcher watcher;
  EXPECT_EQ(ShowMessageBox(owner, L"text"), IDOK);
  const auto seen = watcher.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].owner, nullptr);
}

}  // namespace
