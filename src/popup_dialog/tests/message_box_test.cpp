#include "popup_dialog/message_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "popup_dialog/label_ui2.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/app_driver.h"
#include "support/screenshots.h"
#include "support/test_paths.h"
#include "toolkit/ui_button.h"

namespace {

using skin_test::ClickControl;
using skin_test::ModalDriver;

constexpr wchar_t kSaveErrorEn[] =
    L"The picture could not be saved. Check that the folder can be written to and that the disk "
    L"has free space.";
constexpr wchar_t kSaveErrorCn[] = L"图片保存失败。请确认文件夹可以写入、磁盘空间充足，然后重试。";

HWND CreateOwner(int x, int y, int width, int height) {
  return CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, x, y, width, height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

POINT CentreOf(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The screen rectangle of a control of the box.
RECT ControlRect(WindowImplBase& window, CControlUI* control) {
  RECT rect = control->GetPos();
  MapWindowPoints(window.GetHWND(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

uint32_t Rgb(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

bool IsOrange(uint32_t pixel) {
  return skin_test::Red(pixel) > 170 && skin_test::Green(pixel) > 80 &&
         skin_test::Green(pixel) < 160 && skin_test::Blue(pixel) < 80;
}

bool IsDarkGrey(uint32_t pixel) {
  const int r = skin_test::Red(pixel);
  return r > 30 && r < 80 && std::abs(r - skin_test::Green(pixel)) < 6 &&
         std::abs(r - skin_test::Blue(pixel)) < 6;
}

// The box and its shadow, for a screenshot.
RECT ShotRect(HWND box) {
  RECT rect = skin_test::ScreenRect(box);
  InflateRect(&rect, 14, 14);
  return rect;
}

class MessageBoxTest : public ::testing::Test {
 protected:
  skin_test::SkinEnvironment env_;
};

// What one box showed before it was answered.
struct Seen {
  bool shown = false;
  std::wstring right_text;
  std::wstring left_text;
  RECT right = {};
  RECT left = {};
  bool has_left = false;
  uint32_t right_pixel = 0;
  uint32_t left_pixel = 0;
  bool owner_disabled = false;
  RECT box = {};
};

Seen Inspect(WindowImplBase& window, HWND owner) {
  auto& box = dynamic_cast<CMessageBox&>(window);
  Seen seen;
  seen.shown = true;
  seen.box = skin_test::ScreenRect(box.GetHWND());
  seen.owner_disabled = owner && !IsWindowEnabled(owner);
  if (CButtonUI* right = box.right_button()) {
    seen.right_text = right->GetText();
    seen.right = right->GetPos();
    const RECT on_screen = ControlRect(window, right);
    seen.right_pixel = Rgb(test_support::ScreenPixel(on_screen.left + 8, on_screen.top + 6));
  }
  if (CButtonUI* left = box.left_button()) {
    seen.has_left = true;
    seen.left_text = left->GetText();
    seen.left = left->GetPos();
    const RECT on_screen = ControlRect(window, left);
    seen.left_pixel = Rgb(test_support::ScreenPixel(on_screen.left + 8, on_screen.top + 6));
  }
  return seen;
}

TEST_F(MessageBoxTest, ButtonsTextsAndResultsByType) {
  HWND owner = CreateOwner(40, 60, 900, 600);
  ASSERT_NE(owner, nullptr);
  const struct {
    int type;
    const wchar_t* text;
    const wchar_t* click;
    const wchar_t* right_text;
    RECT right;
    const wchar_t* left_text;  // null: one button
    RECT left;
    int result;
    const wchar_t* shot;
  } cases[] = {
      {0,
       kSaveErrorEn,
       L"right_btn",
       L"确定",
       {108, 130, 232, 166},
       nullptr,
       {},
       1,
       L"msgbox_type0_en"},
      {1,
       kSaveErrorCn,
       L"right_btn",
       L"确定",
       {184, 130, 318, 166},
       L"取消",
       {32, 130, 156, 166},
       1,
       L"msgbox_type1_cn"},
      {1,
       kSaveErrorCn,
       L"left_btn",
       L"确定",
       {184, 130, 318, 166},
       L"取消",
       {32, 130, 156, 166},
       2,
       nullptr},
      {4,
       L"要删除这张图片吗？",
       L"right_btn",
       L"是",
       {184, 130, 318, 166},
       L"否",
       {32, 130, 156, 166},
       6,
       L"msgbox_type4_cn"},
      {4,
       L"Delete this picture?",
       L"left_btn",
       L"是",
       {184, 130, 318, 166},
       L"否",
       {32, 130, 156, 166},
       7,
       L"msgbox_type4_en"},
      {0x20,
       L"An unknown type still offers a way out",
       L"right_btn",
       L"确定",
       {108, 130, 232, 166},
       nullptr,
       {},
       1,
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    Seen seen;
    ModalDriver driver;
    driver.Then(L"CMessageBox", [&](WindowImplBase& window) {
      seen = Inspect(window, owner);
      if (c.shot) {
        test_support::SaveScreenPng(ShotRect(window.GetHWND()), c.shot);
      }
      ClickControl(window, c.click);
    });
    const int result = CMessageBox::ShowMessage(owner, c.text, c.type, L"center", 0);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(result, c.result);
    EXPECT_TRUE(seen.owner_disabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(seen.right_text, c.right_text);
    EXPECT_TRUE(EqualRect(&seen.right, &c.right));
    EXPECT_TRUE(IsOrange(seen.right_pixel)) << std::hex << seen.right_pixel;
    EXPECT_EQ(seen.has_left, c.left_text != nullptr);
    if (c.left_text) {
      EXPECT_EQ(seen.left_text, c.left_text);
      EXPECT_TRUE(EqualRect(&seen.left, &c.left));
      EXPECT_TRUE(IsDarkGrey(seen.left_pixel)) << std::hex << seen.left_pixel;
    }
    // Centred on the owner.
    RECT owner_rect = {};
    GetWindowRect(owner, &owner_rect);
    EXPECT_LE(std::abs(CentreOf(seen.box).x - CentreOf(owner_rect).x), 1);
    EXPECT_LE(std::abs(CentreOf(seen.box).y - CentreOf(owner_rect).y), 1);
    EXPECT_EQ(seen.box.right - seen.box.left, 392);
    EXPECT_EQ(seen.box.bottom - seen.box.top, 182);
  }
  DestroyWindow(owner);
}

TEST_F(MessageBoxTest, EscapeGivesOneAndTheCloseButtonEight) {
  {
    ModalDriver driver;
    driver.Then(L"CMessageBox",
                [](WindowImplBase& window) { skin_test::PressKey(window.GetHWND(), VK_ESCAPE); });
    EXPECT_EQ(CMessageBox::ShowMessage(nullptr, L"text", 4, L"center", 0), 1);
  }
  {
    ModalDriver driver;
    driver.Then(L"CMessageBox", [](WindowImplBase& window) { ClickControl(window, L"cls"); });
    EXPECT_EQ(CMessageBox::ShowMessage(nullptr, L"text", 1, L"center", 0), 8);
  }
  {
    // Return is left to the box: it does not close it.
    ModalDriver driver;
    driver
        .Then(L"CMessageBox",
              [](WindowImplBase& window) { skin_test::PressKey(window.GetHWND(), VK_RETURN); })
        .Then(L"CMessageBox", [](WindowImplBase& window) { ClickControl(window, L"left_btn"); });
    EXPECT_EQ(CMessageBox::ShowMessage(nullptr, L"text", 1, L"center", 0), 2);
    EXPECT_EQ(driver.done(), 2u);
  }
}

TEST_F(MessageBoxTest, NoticeShowsItsButtonTextAndTheTextOnTheLeft) {
  std::wstring button;
  std::wstring text;
  std::wstring align;
  ModalDriver driver;
  driver.Then(L"CMessageBox", [&](WindowImplBase& window) {
    auto& box = dynamic_cast<CMessageBox&>(window);
    button = box.right_button()->GetText();
    text = box.message_label()->GetText();
    align = box.message_label()->GetAlign();
    EXPECT_EQ(box.left_button(), nullptr);
    test_support::SaveScreenPng(ShotRect(window.GetHWND()), L"msgbox_gif_notice");
    ClickControl(window, L"right_btn");
  });
  EXPECT_EQ(CMessageBox::ShowNotice(nullptr, L"GIF图片格式暂不支持格式转换哦~", L"我知道了"), 1);
  EXPECT_EQ(button, L"我知道了");
  EXPECT_EQ(text, L"GIF图片格式暂不支持格式转换哦~");
  EXPECT_EQ(align, L"left");
}

}  // namespace
