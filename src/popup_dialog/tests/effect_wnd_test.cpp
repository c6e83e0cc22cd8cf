// The display enhancement chooser: its options carry the modes, the current
// one is marked, a click answers the owner with the mode and losing the
// focus answers 0.
#include "popup_dialog/effect_wnd.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "main_messages.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/test_window.h"
#include "toolkit/ui_option.h"

namespace {

std::vector<WPARAM> g_answers;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == UM_EFFECT_CHOSEN) {
    g_answers.push_back(wparam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

class EffectWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_answers.clear();
    owner_ = test_support::CreateTestWindow(L"effect_wnd_test_owner", OwnerProc,
                                            WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    chooser_.reset();
    DestroyWindow(owner_);
  }
  void Open(int current_mode) {
    chooser_ = std::make_unique<CEffectWnd>(owner_, current_mode);
    ASSERT_TRUE(chooser_->CreateAt({200, 150}));
    test_support::PumpFor(150);
  }
  COptionUI* Option(int mode) const {
    return dynamic_cast<COptionUI*>(
        chooser_->GetPaintManager().FindControl(CEffectWnd::OptionName(mode)));
  }

  skin_test::SkinEnvironment skins_;
  HWND owner_ = nullptr;
  std::unique_ptr<CEffectWnd> chooser_;
};

TEST_F(EffectWndTest, OptionsCarryTheModesAndTheCurrentOneIsMarked) {
  for (int current = 0; current <= 3; ++current) {
    SCOPED_TRACE(current);
    Open(current);
    const RECT rect = skin_test::ScreenRect(chooser_->GetHWND());
    EXPECT_EQ(rect.left, 200);
    EXPECT_EQ(rect.top, 150);
    EXPECT_EQ(GetFocus(), chooser_->GetHWND());
    // A tool window: no button of its own in the taskbar or Alt+Tab.
    EXPECT_NE(GetWindowLongPtrW(chooser_->GetHWND(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    for (int mode = 1; mode <= 3; ++mode) {
      COptionUI* option = Option(mode);
      ASSERT_NE(option, nullptr) << mode;
      EXPECT_EQ(option->GetTag(), static_cast<UINT_PTR>(mode));
      EXPECT_EQ(option->IsSelected(), mode == current) << mode;
    }
    if (current == 2) {
      test_support::SaveScreenPng(rect, L"effect_chooser_colorful");
    }
    chooser_->DetachOwner();
    chooser_.reset();
  }
  EXPECT_TRUE(g_answers.empty()) << "a chooser its owner closes answers nothing";

  // Asked to open above the screen's top, it opens at the top.
  chooser_ = std::make_unique<CEffectWnd>(owner_, 0);
  ASSERT_TRUE(chooser_->CreateAt({200, -80}));
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT rect = skin_test::ScreenRect(chooser_->GetHWND());
  EXPECT_EQ(rect.left, 200);
  EXPECT_EQ(rect.top, work.top);
  chooser_->DetachOwner();
}

TEST_F(EffectWndTest, AClickAnswersTheModeAndFocusLossAnswersZero) {
  for (int mode = 1; mode <= 3; ++mode) {
    SCOPED_TRACE(mode);
    g_answers.clear();
    Open(0);
    ASSERT_TRUE(skin_test::ClickControl(*chooser_, CEffectWnd::OptionName(mode)));
    ASSERT_TRUE(test_support::PumpUntil([] { return !g_answers.empty(); }, 5000));
    EXPECT_EQ(g_answers.front(), static_cast<WPARAM>(mode));
    chooser_->DetachOwner();
    chooser_.reset();
  }
  g_answers.clear();
  Open(1);
  SetFocus(owner_);
  ASSERT_TRUE(test_support::PumpUntil([] { return !g_answers.empty(); }, 5000));
  EXPECT_EQ(g_answers, std::vector<WPARAM>{0});
}

}  // namespace
