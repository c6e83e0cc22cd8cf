#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "l10n/language_file.h"
#include "main_messages.h"
#include "popup_dialog/context_menu.h"
#include "popup_dialog/main_menu.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/app_driver.h"
#include "support/screenshots.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_list.h"

namespace {

constexpr const wchar_t* kCheckMark =
    L"file='images/icon1.png' source='20,0,40,20' dest='12,8,32,28'";

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

TEST(MainMenuPlacement, BelowTheButtonFlippedAboveNearTheBottomClampedToTheWorkArea) {
  struct Case {
    const char* what;
    RECT bar;
    RECT work;
    RECT expected;
  };
  const Case cases[] = {
      {"below the button, room for the submenu on the left",
       {400, 0, 438, 30},
       {0, 0, 1024, 768},
       {256, 30, 494, 290}},
      {"near the right edge", {900, 0, 938, 30}, {0, 0, 1024, 768}, {642, 30, 880, 290}},
      {"flipped above near the bottom",
       {400, 600, 438, 630},
       {0, 0, 1024, 768},
       {256, 478, 494, 738}},
      {"left of the work area", {50, 200, 88, 230}, {100, 0, 1024, 768}, {-44, 230, 144, 490}},
      {"above the work area", {400, 50, 438, 80}, {0, 100, 1024, 768}, {256, 130, 494, 340}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RECT r = CMainMenu::Placement(c.bar, c.work);
    EXPECT_TRUE(SameRect(r, c.expected)) << Describe(r);
  }
}

TEST(ContextMenuPlacement, InsideTheOwnerBottomAndTheWorkAreaRight) {
  struct Case {
    const char* what;
    POINT at;
    RECT expected;
  };
  const RECT owner = {0, 0, 800, 600};
  const RECT work = {0, 0, 1024, 768};
  const Case cases[] = {
      {"at the pointer", {100, 100}, {100, 100, 360, 466}},
      {"near the right edge of the work area", {900, 100}, {764, 100, 1024, 466}},
      {"near the owner's bottom", {100, 400}, {100, 234, 360, 600}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RECT r = CContextMenu::Placement(c.at, owner, work);
    EXPECT_TRUE(SameRect(r, c.expected)) << Describe(r);
  }
}

TEST(ContextMenuItems, EnabledByPictureAndFile) {
  struct Case {
    const char* what;
    CContextMenu::State state;
    const char* enabled;  // one character per item
  };
  const Case cases[] = {
      {"no picture, no file", {false, false, true}, "1000000100"},
      {"a file that cannot be decoded", {false, true, true}, "1011000100"},
      {"a picture whose file is gone", {true, false, true}, "1100011100"},
      {"a picture and its file", {true, true, true}, "1111111111"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string got;
    for (int i = 0; i < CContextMenu::kItemCount; ++i) {
      got += CContextMenu::ItemEnabled(i, c.state) ? '1' : '0';
    }
    EXPECT_EQ(got, c.enabled);
  }
}

std::vector<int>* g_results = nullptr;
WNDPROC g_static_proc = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == UM_MENU_RESULT && g_results) {
    g_results->push_back(static_cast<int>(wparam));
    return 0;
  }
  return CallWindowProcW(g_static_proc, hwnd, message, wparam, lparam);
}

// An owner window that records the menu results it receives.
class MenuWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetCurrentLanguageFile(L"en.ini"));
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 40, 40, 900, 640,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
    g_results = &results_;
    g_static_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(owner_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
  }
  void TearDown() override {
    DestroyWindow(owner_);
    g_results = nullptr;
  }

  // The results the owner received since the last call (-1 for a dismissal).
  std::vector<int> Results() {
    test_support::PumpFor(50);
    std::vector<int> results;
    results.swap(results_);
    return results;
  }
  std::vector<int> results_;
  static void Destroy(WindowImplBase& window) {
    if (IsWindow(window.GetHWND())) {
      DestroyWindow(window.GetHWND());
    }
  }
  static CListUI* List(WindowImplBase& window, const wchar_t* name) {
    return dynamic_cast<CListUI*>(window.GetPaintManager().FindControl(name));
  }
  static void ClickItem(WindowImplBase& window, CListUI* list, int index) {
    const RECT rect = list->GetItemAt(index)->GetPos();
    skin_test::ClickAt(window.GetHWND(),
                       {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
    test_support::PumpFor(100);
  }

  skin_test::SkinEnvironment env_;
  HWND owner_ = nullptr;
};

TEST_F(MenuWindowTest, MainMenuChecksAndChoices) {
  CMainMenu menu(owner_, {true, false, 1});
  ASSERT_TRUE(menu.Open(owner_, {500, 100, 530, 130}));
  test_support::PumpFor(300);
  ASSERT_TRUE(menu.IsInitialised());
  CListUI* list = List(menu, L"list_menu");
  CListUI* sub = List(menu, L"list_menu2");
  ASSERT_NE(list, nullptr);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(list->GetItemAt(1)->GetBkImage(), kCheckMark);  // default viewer
  EXPECT_EQ(list->GetItemAt(2)->GetBkImage(), L"");         // not top-most
  EXPECT_EQ(sub->GetItemAt(0)->GetBkImage(), L"");
  EXPECT_EQ(sub->GetItemAt(1)->GetBkImage(), kCheckMark);  // the wheel zooms
  RECT window = {};
  GetWindowRect(menu.GetHWND(), &window);
  EXPECT_EQ(window.right - window.left, 382);
  EXPECT_EQ(window.left, 500 - 144);
  EXPECT_EQ(window.top, 130);
  EXPECT_TRUE(test_support::SaveScreenPng(window, L"main_menu"));

  // The submenu item opens the submenu and sends nothing.
  ClickItem(menu, list, 3);
  EXPECT_TRUE(Results().empty());
  // The default-viewer item sends its command.
  ClickItem(menu, list, 1);
  EXPECT_EQ(Results(), std::vector<int>{26002});
  Destroy(menu);
}

TEST_F(MenuWindowTest, SubmenuStaysWhileThePointerIsInsideAndHidesAtTheNextTickOutside) {
  CMainMenu menu(owner_, {false, false, 0});
  ASSERT_TRUE(menu.Open(owner_, {500, 100, 530, 130}));
  test_support::PumpFor(300);
  CListUI* list = List(menu, L"list_menu");
  CListUI* sub = List(menu, L"list_menu2");
  ASSERT_NE(sub, nullptr);
  CControlUI* wheel = menu.GetPaintManager().FindControl(L"wheel_menu");
  ASSERT_NE(wheel, nullptr);
  EXPECT_EQ(sub->GetItemAt(0)->GetBkImage(), kCheckMark);

  menu.GetPaintManager().SendNotify(wheel, L"mouseenter");
  test_support::PumpFor(100);
  ASSERT_TRUE(sub->IsVisible());
  // Room on the left: the submenu sits left of the list, rows 113 to 193.
  const RECT pos = sub->GetPos();
  EXPECT_EQ(pos.left, list->GetPos().left - 144);
  EXPECT_EQ(pos.right, list->GetPos().left);
  EXPECT_EQ(pos.top, 113);
  EXPECT_EQ(pos.bottom, 193);
  test_support::PumpFor(100);
  RECT shot = {};
  GetWindowRect(menu.GetHWND(), &shot);
  EXPECT_TRUE(test_support::SaveScreenPng(shot, L"main_menu_wheel"));

  // Leaving for the submenu: still shown after several ticks.
  POINT inside = {(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
  ClientToScreen(menu.GetHWND(), &inside);
  SetCursorPos(inside.x, inside.y);
  menu.GetPaintManager().SendNotify(wheel, L"mouseleave");
  test_support::PumpFor(350);
  EXPECT_TRUE(sub->IsVisible());

  // Outside both: hidden at the next tick.
  SetCursorPos(inside.x, inside.y + 300);
  test_support::PumpFor(250);
  EXPECT_FALSE(sub->IsVisible());

  // Choosing a submenu item sends its command.
  menu.GetPaintManager().SendNotify(wheel, L"mouseenter");
  test_support::PumpFor(50);
  ClickItem(menu, sub, 1);
  EXPECT_EQ(Results(), std::vector<int>{21701});
  Destroy(menu);
}

// With no room on the left of the list, the submenu opens on its right, and
// the window grows to show it there.
TEST_F(MenuWindowTest, SubmenuOpensOnTheRightNearTheScreensLeftEdge) {
  RECT work = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  CMainMenu menu(owner_, {false, false, 0});
  ASSERT_TRUE(menu.Open(owner_, {work.left + 10, 100, work.left + 40, 130}));
  test_support::PumpFor(300);
  CListUI* list = List(menu, L"list_menu");
  CListUI* sub = List(menu, L"list_menu2");
  ASSERT_NE(list, nullptr);
  ASSERT_NE(sub, nullptr);
  const RECT list_before = list->GetPos();
  menu.GetPaintManager().SendNotify(menu.GetPaintManager().FindControl(L"wheel_menu"),
                                    L"mouseenter");
  test_support::PumpFor(100);
  ASSERT_TRUE(sub->IsVisible());
  const RECT pos = sub->GetPos();
  EXPECT_EQ(pos.left, list->GetPos().right);
  EXPECT_EQ(pos.right, list->GetPos().right + 144);
  EXPECT_EQ(pos.top, 113);
  RECT client = {};
  GetClientRect(menu.GetHWND(), &client);
  EXPECT_LE(pos.right, client.right) << "the submenu lies outside the window";
  EXPECT_TRUE(EqualRect(&list_before, &list->GetPos())) << "the list moved or grew";
  RECT shot = {};
  GetWindowRect(menu.GetHWND(), &shot);
  IntersectRect(&shot, &shot, &work);
  EXPECT_TRUE(test_support::SaveScreenPng(shot, L"main_menu_wheel_right"));
  ClickItem(menu, sub, 0);
  EXPECT_EQ(Results(), std::vector<int>{21700});
  Destroy(menu);
}

TEST_F(MenuWindowTest, ContextMenuWithoutAPictureOffersOnlyOpenAndFullScreen) {
  CContextMenu menu(owner_, {false, false, false});
  ASSERT_TRUE(menu.Open(owner_, {200, 150}));
  test_support::PumpFor(300);
  CListUI* list = List(menu, L"list_menu");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), CContextMenu::kItemCount);
  RECT window = {};
  GetWindowRect(menu.GetHWND(), &window);
  EXPECT_EQ(window.left, 200);
  EXPECT_EQ(window.top, 150);
  EXPECT_TRUE(test_support::SaveScreenPng(window, L"context_menu_empty"));
  const int tags[] = {21000, 21002, 20009, 21003, 21100, 21001, 20002, 20013, 21101, 20000};
  for (int i = 0; i < CContextMenu::kItemCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(static_cast<int>(list->GetItemAt(i)->GetTag()), tags[i]);
    EXPECT_EQ(list->GetItemAt(i)->IsEnabled(), i == 0 || i == 7);
  }
  auto* row1 = dynamic_cast<CContainerUI*>(list->GetItemAt(1));
  ASSERT_NE(row1, nullptr);
  EXPECT_EQ(row1->GetItemAt(0)->GetBkImage(),
            L"file='images/disable_icon.png' source='20,0,40,20' dest='12,8,32,28'");
  auto* row6 = dynamic_cast<CContainerUI*>(list->GetItemAt(6));
  ASSERT_NE(row6, nullptr);
  EXPECT_EQ(row6->GetItemAt(0)->GetText(), L"缩小以适应窗口");
  // A disabled item sends nothing; full screen sends its command.
  ClickItem(menu, list, 2);
  EXPECT_TRUE(Results().empty());
  ClickItem(menu, list, 7);
  EXPECT_EQ(Results(), std::vector<int>{20013});
  Destroy(menu);
}

TEST_F(MenuWindowTest, ContextMenuWithAPictureEnablesEverythingAndLosingTheFocusDismisses) {
  CContextMenu menu(owner_, {true, true, true});
  ASSERT_TRUE(menu.Open(owner_, {200, 150}));
  test_support::PumpFor(300);
  CListUI* list = List(menu, L"list_menu");
  ASSERT_NE(list, nullptr);
  auto* row9 = dynamic_cast<CContainerUI*>(list->GetItemAt(9));
  ASSERT_NE(row9, nullptr);
  EXPECT_EQ(row9->GetItemAt(0)->GetBkImage(),
            L"file='images/icon.png' source='160,0,180,20' dest='12,10,32,30'");
  auto* row6 = dynamic_cast<CContainerUI*>(list->GetItemAt(6));
  EXPECT_EQ(row6->GetItemAt(0)->GetText(), L"1:1显示图片");
  RECT window = {};
  GetWindowRect(menu.GetHWND(), &window);
  EXPECT_TRUE(test_support::SaveScreenPng(window, L"context_menu_picture"));
  Results();
  SetFocus(owner_);
  test_support::PumpFor(100);
  EXPECT_EQ(Results(), std::vector<int>{-1});
  Destroy(menu);
}

}  // namespace
