#include "popup_dialog/convert_msg_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "l10n/language_file.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/screenshots.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_option.h"

namespace {

using skin_test::ClickControl;
using skin_test::ModalDriver;

const std::vector<std::wstring> kLabels = {L"PNG格式 (*.png)", L"TIFF格式 (*.tiff)",
                                           L"BMP格式 (*.bmp)"};

COptionUI* DropList(WindowImplBase& box) {
  return dynamic_cast<COptionUI*>(box.GetPaintManager().FindControl(L"dropList"));
}

// The rectangle of the list window's item on the screen of its window.
void ClickItem(WindowImplBase& list_window, int index) {
  auto* list = dynamic_cast<CListUI*>(list_window.GetPaintManager().FindControl(L"list"));
  ASSERT_NE(list, nullptr);
  const RECT rect = list->GetItemAt(index)->GetPos();
  skin_test::ClickAt(list_window.GetHWND(),
                     {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

// dropList's rectangle on the screen.
RECT DropRect(WindowImplBase& box) {
  RECT rect = DropList(box)->GetPos();
  MapWindowPoints(box.GetHWND(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

class ConvertBoxTest : public skin_test::SkinnedBoxTest {
 protected:
  void ChooseFromTheList(const std::wstring& language);
};

TEST_F(ConvertBoxTest, ChoosingAFormatFromTheListAndOk) {
  for (const wchar_t* language : {L"en", L"cn_simp"}) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(SetCurrentLanguageFile(std::wstring(language) + L".ini"));
    ChooseFromTheList(language);
  }
  SetCurrentLanguageFile(L"en.ini");
}

void ConvertBoxTest::ChooseFromTheList(const std::wstring& language) {
  CConvertMsgBox box(owner_, L"holiday.JPE", kLabels);
  HWND box_window = nullptr;
  std::wstring name_text;
  std::wstring name_tip;
  RECT drop = {};
  RECT list_rect = {};
  HWND list_owner = nullptr;
  LONG_PTR list_style = 0;
  size_t list_items = 0;
  HWND active_with_list = nullptr;
  std::wstring drop_text;
  bool drop_selected = true;
  bool list_gone = false;
  ModalDriver driver;
  driver
      .Then(L"CConvertMsgBox",
            [&](WindowImplBase& window) {
              box_window = window.GetHWND();
              CControlUI* name = window.GetPaintManager().FindControl(L"filename");
              name_text = name->GetText();
              name_tip = name->GetToolTip();
              RECT shot = skin_test::ScreenRect(window.GetHWND());
              InflateRect(&shot, 14, 14);
              test_support::SaveScreenPng(shot, L"convert_box_" + language);
              ClickControl(window, L"dropList");
            })
      .Then(L"CListWnd",
            [&](WindowImplBase& list_window) {
              auto& convert = dynamic_cast<CConvertMsgBox&>(*dynamic_cast<WindowImplBase*>(
                  CWnd::FromHandlePermanent(GetWindow(list_window.GetHWND(), GW_OWNER))));
              drop = DropRect(convert);
              list_rect = skin_test::ScreenRect(list_window.GetHWND());
              list_owner = GetWindow(list_window.GetHWND(), GW_OWNER);
              list_style = GetWindowLongPtrW(list_window.GetHWND(), GWL_STYLE);
              list_items = dynamic_cast<CListWnd&>(list_window).items().size();
              active_with_list = GetActiveWindow();
              RECT shot = skin_test::ScreenRect(convert.GetHWND());
              UnionRect(&shot, &shot, &list_rect);
              InflateRect(&shot, 14, 14);
              test_support::SaveScreenPng(shot, L"convert_box_list_open_" + language);
              ClickItem(list_window, 1);
            })
      .Then(L"CConvertMsgBox", [&](WindowImplBase& window) {
        drop_text = DropList(window)->GetText();
        drop_selected = DropList(window)->IsSelected();
        list_gone = skin_test::FindThreadWindow(L"CListWnd") == nullptr;
        ClickControl(window, L"right_btn");
      });
  EXPECT_EQ(box.RunModal(), 1u);
  EXPECT_EQ(box.GetSelectedIndex(), 1);
  EXPECT_EQ(driver.done(), 3u);
  EXPECT_EQ(name_text, L"holiday.JPE");
  EXPECT_EQ(name_tip, L"holiday.JPE");
  // Below dropList, as wide, 32 pixels a row plus the border.
  EXPECT_EQ(list_rect.left, drop.left);
  EXPECT_EQ(list_rect.top, drop.bottom);
  EXPECT_EQ(list_rect.right - list_rect.left, drop.right - drop.left);
  EXPECT_EQ(list_rect.bottom - list_rect.top, 32 * 3 + 2);
  EXPECT_EQ(list_items, 3u);
  EXPECT_EQ(list_owner, box_window);
  EXPECT_EQ(list_style & WS_POPUP, 0);
  // The box keeps the activation while its list is open.
  EXPECT_EQ(active_with_list, box_window);
  EXPECT_EQ(drop_text, L"TIFF格式 (*.tiff)");
  EXPECT_FALSE(drop_selected);
  EXPECT_TRUE(list_gone);
}

TEST_F(ConvertBoxTest, TheListOpenedASecondTimeIsTheFixedHeight) {
  CConvertMsgBox box(owner_, L"a.png", kLabels);
  LONG first_height = 0;
  LONG second_height = 0;
  bool hidden_between = false;
  ModalDriver driver;
  driver.Then(L"CConvertMsgBox", [](WindowImplBase& window) { ClickControl(window, L"dropList"); })
      .Then(L"CListWnd",
            [&](WindowImplBase& list_window) {
              const RECT rect = skin_test::ScreenRect(list_window.GetHWND());
              first_height = rect.bottom - rect.top;
              // A second click on dropList closes the list again.
              auto* convert = dynamic_cast<WindowImplBase*>(
                  CWnd::FromHandlePermanent(GetWindow(list_window.GetHWND(), GW_OWNER)));
              ClickControl(*convert, L"dropList");
            })
      .Then(L"CConvertMsgBox",
            [&](WindowImplBase& window) {
              hidden_between = skin_test::FindThreadWindow(L"CListWnd") == nullptr &&
                               !DropList(window)->IsSelected();
              ClickControl(window, L"dropList");
            })
      .Then(L"CListWnd", [&](WindowImplBase& list_window) {
        const RECT rect = skin_test::ScreenRect(list_window.GetHWND());
        second_height = rect.bottom - rect.top;
        skin_test::PressKey(GetWindow(list_window.GetHWND(), GW_OWNER), VK_ESCAPE);
      });
  EXPECT_EQ(box.RunModal(), 2u);
  EXPECT_EQ(box.GetSelectedIndex(), -1);
  EXPECT_EQ(first_height, 98);
  EXPECT_TRUE(hidden_between);
  EXPECT_EQ(second_height, CConvertMsgBox::kListHeight);
}

TEST_F(ConvertBoxTest, TheListClosesWhenTheBoxLosesTheFocus) {
  CConvertMsgBox box(owner_, L"a.png", kLabels);
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  bool closed = false;
  ModalDriver driver;
  driver.Then(L"CConvertMsgBox", [](WindowImplBase& window) { ClickControl(window, L"dropList"); })
      .Then(L"CListWnd", [&](WindowImplBase&) { SetActiveWindow(other); })
      .Then(L"CConvertMsgBox", [&](WindowImplBase& window) {
        closed =
            skin_test::FindThreadWindow(L"CListWnd") == nullptr && !DropList(window)->IsSelected();
        ClickControl(window, L"left_btn");
      });
  EXPECT_EQ(box.RunModal(), 2u);
  EXPECT_TRUE(closed);
  DestroyWindow(other);
}

TEST_F(ConvertBoxTest, ButtonsAndKeysWithoutAChoice) {
  const struct {
    const wchar_t* control;  // null: Escape
    UINT result;
  } cases[] = {{L"right_btn", 1}, {L"left_btn", 2}, {L"cls", 8}, {nullptr, 2}};
  for (const auto& c : cases) {
    CConvertMsgBox box(owner_, L"a.bmp", kLabels);
    ModalDriver driver;
    driver.Then(L"CConvertMsgBox", [&](WindowImplBase& window) {
      if (c.control) {
        ClickControl(window, c.control);
      } else {
        skin_test::PressKey(window.GetHWND(), VK_ESCAPE);
      }
    });
    EXPECT_EQ(box.RunModal(), c.result);
    EXPECT_EQ(box.GetSelectedIndex(), -1);
  }
}

// Escape after a format was chosen still cancels: the caller converts only
// on 1.
TEST_F(ConvertBoxTest, EscapeAfterAChoiceCancels) {
  CConvertMsgBox box(owner_, L"a.png", kLabels);
  ModalDriver driver;
  driver.Then(L"CConvertMsgBox", [](WindowImplBase& window) { ClickControl(window, L"dropList"); })
      .Then(L"CListWnd", [](WindowImplBase& list_window) { ClickItem(list_window, 0); })
      .Then(L"CConvertMsgBox",
            [](WindowImplBase& window) { skin_test::PressKey(window.GetHWND(), VK_ESCAPE); });
  EXPECT_EQ(box.RunModal(), 2u);
  EXPECT_EQ(box.GetSelectedIndex(), 0);
  EXPECT_EQ(driver.done(), 3u);
}

}  // namespace
