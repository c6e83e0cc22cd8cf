#include "popup_dialog/dlg_set_default_viewer2.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "l10n/language_file.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/screenshots.h"
#include "toolkit/ui_button.h"

namespace {

using skin_test::ClickControl;
using skin_test::ModalDriver;

using DefaultViewerPromptTest = skin_test::SkinnedBoxTest;

// Only "ok" accepts; Escape declines like "cancel". A ticked "do not ask
// again" stops the prompt whichever way the dialog closes.
TEST_F(DefaultViewerPromptTest, ResultsAndDoNotAskAgain) {
  const struct {
    bool tick;
    const wchar_t* button;  // null: Escape
    UINT result;
    int32_t tip_after;
  } cases[] = {{false, L"ok", 1, 1},    {true, L"ok", 1, 0},   {false, L"cancel", 2, 1},
               {true, L"cancel", 2, 0}, {false, L"cls", 2, 1}, {true, L"cls", 2, 0},
               {false, nullptr, 2, 1},  {true, nullptr, 2, 0}};
  for (const auto& c : cases) {
    const wchar_t* how = c.button ? c.button : L"Escape";
    int32_t tip = 1;
    DlgSetDefaultViewer2 dialog(&tip);
    ModalDriver driver;
    driver.Then(L"DlgSetDefaultViewer2", [&](WindowImplBase& window) {
      if (c.tick) {
        ASSERT_TRUE(ClickControl(window, L"notip"));
      }
      if (c.button) {
        ASSERT_TRUE(ClickControl(window, c.button));
      } else {
        skin_test::PressKey(window.GetHWND(), VK_ESCAPE);
      }
    });
    EXPECT_EQ(dialog.DoModal(owner_), c.result) << how << " tick " << c.tick;
    EXPECT_EQ(driver.done(), 1u);
    EXPECT_EQ(tip, c.tip_after) << how << " tick " << c.tick;
  }
}

TEST_F(DefaultViewerPromptTest, ShowsItsTextsInBothLanguages) {
  for (const wchar_t* language : {L"en", L"cn_simp"}) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(SetCurrentLanguageFile(std::wstring(language) + L".ini"));
    int32_t tip = 1;
    DlgSetDefaultViewer2 dialog(&tip);
    std::wstring ok_text;
    ModalDriver driver;
    driver.Then(L"DlgSetDefaultViewer2", [&](WindowImplBase& window) {
      if (CControlUI* ok = window.GetPaintManager().FindControl(L"ok")) {
        ok_text = ok->GetText();
      }
      EXPECT_TRUE(test_support::SaveScreenPng(skin_test::ScreenRect(window.GetHWND()),
                                              std::wstring(L"default_viewer_prompt_") + language));
      ASSERT_TRUE(ClickControl(window, L"cls"));
    });
    EXPECT_EQ(dialog.DoModal(owner_), 2u);
    EXPECT_EQ(ok_text, std::wstring(language) == L"en" ? L"Set as default" : L"设为默认");
  }
  SetCurrentLanguageFile(L"en.ini");
}

}  // namespace
