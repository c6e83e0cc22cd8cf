#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "popup_dialog/dlg_delete_confirm2.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/screenshots.h"

namespace {

using skin_test::ClickControl;
using skin_test::ModalDriver;

class SmallDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 60, 40, 800, 560,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }

  skin_test::SkinEnvironment env_;
  HWND owner_ = nullptr;
};

// Only OK with "do not ask again" ticked turns the confirmation off; Cancel
// and the close button ignore the box.
TEST_F(SmallDialogsTest, DeleteConfirmationResultsAndDoNotAskAgain) {
  const struct {
    bool tick;
    const wchar_t* button;
    UINT result;
    int32_t setting_after;
  } cases[] = {{false, L"ok", 1, 1},
               {true, L"ok", 1, 0},
               {false, L"cancel", 2, 1},
               {true, L"cancel", 2, 1},
               {true, L"cls", 2, 1}};
  bool shot = false;
  for (const auto& c : cases) {
    int32_t setting = 1;
    DlgDeleteConfirm2 dialog(&setting);
    ModalDriver driver;
    driver.Then(L"DlgDeleteConfirm2", [&](WindowImplBase& window) {
      if (c.tick) {
        ASSERT_TRUE(ClickControl(window, L"notip"));
      }
      if (!shot) {
        RECT rect = {};
        GetWindowRect(window.GetHWND(), &rect);
        EXPECT_TRUE(test_support::SaveScreenPng(rect, L"delete_confirm"));
        shot = true;
      }
      ASSERT_TRUE(ClickControl(window, c.button));
    });
    EXPECT_EQ(dialog.DoModal(owner_), c.result) << c.button << " tick " << c.tick;
    EXPECT_EQ(setting, c.setting_after) << c.button << " tick " << c.tick;
  }
}

}  // namespace
