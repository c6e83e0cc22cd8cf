#include "widgets/png_button.h"

#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr UINT kCloseStrip = 700;

class PngButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&gdiplus_token_, &input, nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"png_button_test_parent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(WS_EX_TOPMOST, L"png_button_test_parent", L"", WS_POPUP | WS_VISIBLE,
                              300, 300, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    CreateWindowW(L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 50, 19, parent_,
                  reinterpret_cast<HMENU>(1023), wc.hInstance, nullptr);
  }
  void TearDown() override {
    // The button's picture must go before GDI+ shuts down.
    button_holder_.reset();
    DestroyWindow(parent_);
    Gdiplus::GdiplusShutdown(gdiplus_token_);
  }
  COLORREF PixelAt(int x, int y) {
    RedrawWindow(button_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(button_);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(button_, dc);
    return color;
  }

  ULONG_PTR gdiplus_token_ = 0;
  HWND parent_ = nullptr;
  std::unique_ptr<CPngButton> button_holder_ = std::make_unique<CPngButton>();
  CPngButton& button_ = *button_holder_;
};

TEST_F(PngButtonTest, AttachMakesItOwnerDrawnAndLoadingSizesItToOneCell) {
  ASSERT_TRUE(button_.Attach(1023, parent_));
  EXPECT_EQ(GetWindowLongW(button_, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_TRUE(GetWindowLongW(button_, GWL_STYLE) & WS_CLIPSIBLINGS);
  ASSERT_TRUE(button_.LoadFromResource(kCloseStrip, 3));
  const RECT rect = button_.GetClientRect();
  EXPECT_EQ(rect.right, 30);
  EXPECT_EQ(rect.bottom, 30);
  EXPECT_FALSE(button_.LoadFromResource(12345, 3));
}

TEST_F(PngButtonTest, StatesFollowTheMouseAndPickTheirCells) {
  ASSERT_TRUE(button_.Attach(1023, parent_));
  ASSERT_TRUE(button_.LoadFromResource(kCloseStrip, 3));
  // Cell corners: transparent (canvas colour), red hover, dark pressed.
  EXPECT_EQ(PixelAt(2, 2), RGB(39, 39, 39));
  SendMessageW(button_, WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(button_.state(), CPngButton::kHover);
  EXPECT_EQ(PixelAt(2, 2), RGB(0xc4, 0x2b, 0x1c));
  SendMessageW(button_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(button_.state(), CPngButton::kPressed);
  EXPECT_EQ(PixelAt(2, 2), RGB(0x1e, 0x1e, 0x1e));
  SendMessageW(button_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(button_.state(), CPngButton::kHover);
  SendMessageW(button_, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(button_.state(), CPngButton::kNormal);
}

TEST_F(PngButtonTest, LeaveBehaviourKeepsPressedOnlyAfterAPress) {
  ASSERT_TRUE(button_.Attach(1023, parent_));
  ASSERT_TRUE(button_.LoadFromResource(kCloseStrip, 3, CPngButton::kLeaveKeepPressed));
  SendMessageW(button_, WM_MOUSEHOVER, 0, 0);
  SendMessageW(button_, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(button_.state(), CPngButton::kNormal);
  SendMessageW(button_, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(button_, WM_LBUTTONUP, 0, 0);
  SendMessageW(button_, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(button_.state(), CPngButton::kPressed);
}

}  // namespace
