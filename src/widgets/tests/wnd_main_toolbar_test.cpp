#include "widgets/wnd_main_toolbar.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/app_config.h"
#include "l10n/lang_string.h"
#include "main_messages.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "resource_ids.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "toolkit/ui_option.h"

namespace {

using wnd_main_toolbar::CToolbarButton;
using wnd_main_toolbar::PictureState;

// Button lefts by command id in a client area of width w.
std::map<int32_t, int> Lefts(int w) {
  std::deque<CWidgetItem*> items;
  std::vector<std::unique_ptr<CToolbarButton>> owned;
  for (const auto& entry : WndMainToolbar::kButtons) {
    owned.push_back(std::make_unique<CToolbarButton>(entry.id, entry.group, nullptr, entry.column));
    items.push_back(owned.back().get());
  }
  wnd_main_toolbar::CToolbarButtonLayout::PlaceButtons({0, 0, w, 60}, items);
  std::map<int32_t, int> lefts;
  for (const CWidgetItem* item : items) {
    EXPECT_EQ(item->rect.top, 13);
    EXPECT_EQ(item->rect.bottom, 47);
    EXPECT_EQ(item->Width(), 34);
    lefts[item->id] = item->rect.left;
  }
  return lefts;
}

TEST(ToolbarLayout, GroupsAtTheWidthsOfTheWindow) {
  // The first centre button at (w - 34 * 11) / 2 - 65 (truncated toward
  // zero), the next ones 46 apart, the convert button a 24-pixel gap after
  // the effect button.
  const struct {
    int width;
    int location;  // 20001, left group
    int info;      // 20000, right group
    int first;     // 20002
    int effect;    // 20011
    int convert;   // 20014
  } cases[] = {
      {700, 10, 656, 98, 512, 570},
      {1024, 10, 980, 260, 674, 732},
      {1025, 10, 981, 260, 674, 732},
      {1920, 10, 1876, 708, 1122, 1180},
      // Narrow: the groups overlap, nothing is hidden.
      {300, 10, 256, -102, 312, 370},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    const std::map<int32_t, int> lefts = Lefts(c.width);
    EXPECT_EQ(lefts.at(20001), c.location);
    EXPECT_EQ(lefts.at(20000), c.info);
    EXPECT_EQ(lefts.at(20002), c.first);
    EXPECT_EQ(lefts.at(20011), c.effect);
    EXPECT_EQ(lefts.at(20014), c.convert);
    const int order[] = {20002, 20010, 20003, 20004, 20005, 20006, 20007, 20008, 20009, 20011};
    for (size_t i = 1; i < std::size(order); ++i) {
      EXPECT_EQ(lefts.at(order[i]) - lefts.at(order[i - 1]), 46) << order[i];
    }
  }
}

TEST(ToolbarButton, SpriteRowFollowsTheState) {
  CToolbarButton button(20003, wnd_main_toolbar::kGroupCentre, nullptr, 1);
  EXPECT_EQ(button.SpriteRow(), 0);
  for (int32_t flag : {int32_t{CWidgetItem::kHot}, int32_t{CWidgetItem::kPressed},
                       int32_t{wnd_main_toolbar::kActive}}) {
    button.SetFlag(flag, true);
    EXPECT_EQ(button.SpriteRow(), 1);
    button.SetFlag(CWidgetItem::kEnabled, false);
    EXPECT_EQ(button.SpriteRow(), 2) << "disabled wins";
    button.SetFlag(CWidgetItem::kEnabled, true);
    button.SetFlag(flag, false);
  }
}

TEST(ToolbarEnabled, NoPictureAPictureAndTheEndsOfAFolder) {
  PictureState none;
  PictureState none_with_neighbours;
  none_with_neighbours.has_next = true;
  none_with_neighbours.file_exists = true;
  PictureState first;
  first.loaded = true;
  first.file_exists = true;
  first.has_next = true;
  PictureState last = first;
  last.has_next = false;
  last.has_previous = true;
  last.has_gps = true;
  PictureState gif = first;
  gif.animated_gif = true;
  const int32_t ids[] = {20002, 20010, 20003, 20004, 20005, 20006, 20007,
                         20008, 20009, 20011, 20000, 20001, 20014};
  const struct {
    const char* name;
    PictureState state;
    std::vector<int32_t> enabled;
  } cases[] = {
      {"no picture", none, {}},
      {"no picture, neighbours and file", none_with_neighbours, {20006, 20009}},
      {"first of a folder",
       first,
       {20002, 20010, 20003, 20004, 20006, 20007, 20008, 20009, 20011, 20000, 20014}},
      {"last with GPS",
       last,
       {20002, 20010, 20003, 20004, 20005, 20007, 20008, 20009, 20011, 20000, 20001, 20014}},
      {"animated GIF", gif, {20002, 20010, 20003, 20004, 20006, 20009, 20011, 20000, 20014}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (int32_t id : ids) {
      const bool expected = std::find(c.enabled.begin(), c.enabled.end(), id) != c.enabled.end();
      EXPECT_EQ(wnd_main_toolbar::IsButtonEnabled(id, c.state), expected) << id;
    }
  }
}

std::vector<WPARAM> g_commands;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) {
    EXPECT_EQ(lparam, 0);
    g_commands.push_back(wparam);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

// A parent that records the commands its toolbar posts.
class ToolbarWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_commands.clear();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"toolbar_test_parent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(WS_EX_TOPMOST, L"toolbar_test_parent", L"", WS_POPUP | WS_VISIBLE, 20,
                              200, 1024, 60, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(parent_, nullptr);
    ASSERT_TRUE(toolbar_.Create(parent_, 102, {0, 0, 1024, 60}));
    toolbar_.set_stat_reporter([this](const wchar_t* category, const wchar_t* name) {
      stats_.push_back(std::wstring(category) + L"/" + name);
    });
  }
  void TearDown() override {
    toolbar_.DestroyWindowNow();
    DestroyWindow(parent_);
    CAppConfig::GetInstance()->current_effect = 0;
  }
  std::vector<WPARAM> PostedCommands() {
    MSG msg;
    while (PeekMessageW(&msg, parent_, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      DispatchMessageW(&msg);
    }
    return std::exchange(g_commands, {});
  }
  void Click(const CWidgetItem* item) {
    const LPARAM point = MAKELPARAM((item->rect.left + item->rect.right) / 2,
                                    (item->rect.top + item->rect.bottom) / 2);
    PostMessageW(toolbar_, WM_LBUTTONUP, 0, point);
    SendMessageW(toolbar_, WM_LBUTTONDOWN, MK_LBUTTON, point);
  }
  bool Active(int32_t id) const {
    return (toolbar_.button(id)->flags & wnd_main_toolbar::kActive) != 0;
  }

  PictureState state_;
  HWND parent_ = nullptr;
  std::vector<std::wstring> stats_;
  WndMainToolbar toolbar_{[this] { return state_; }};
};

TEST_F(ToolbarWindowTest, EachEnabledButtonPostsItsCommand) {
  state_.loaded = state_.has_gps = state_.has_previous = state_.has_next = true;
  state_.file_exists = true;
  toolbar_.RefreshAll();
  for (const auto& entry : WndMainToolbar::kButtons) {
    SCOPED_TRACE(entry.id);
    Click(toolbar_.button(entry.id));
    EXPECT_EQ(PostedCommands(), std::vector<WPARAM>{static_cast<WPARAM>(entry.id)});
  }
  // Disabled buttons take no clicks.
  state_ = PictureState{};
  toolbar_.RefreshAll();
  Click(toolbar_.button(20003));
  EXPECT_TRUE(PostedCommands().empty());
}

TEST_F(ToolbarWindowTest, EffectStartsDisabledAndEventsRefresh) {
  EXPECT_FALSE(toolbar_.button(20011)->IsEnabled());
  EXPECT_TRUE(toolbar_.button(20003)->IsEnabled());
  state_.loaded = true;
  CUIEventObserver::Broadcast(CUIEventViewImageChanged());
  EXPECT_TRUE(toolbar_.button(20011)->IsEnabled());
  EXPECT_FALSE(toolbar_.button(20005)->IsEnabled());
  // The folder event updates the neighbour buttons only.
  state_.has_previous = true;
  state_.loaded = false;
  CUIEventObserver::Broadcast(CUIEventFolderImageCollected());
  EXPECT_TRUE(toolbar_.button(20005)->IsEnabled());
  EXPECT_TRUE(toolbar_.button(20003)->IsEnabled());
}

TEST_F(ToolbarWindowTest, FitToggleFollowsClicksAndZoomEvents) {
  state_.loaded = true;
  toolbar_.RefreshAll();
  CToolbarButton* toggle = toolbar_.button(20002);
  EXPECT_EQ(toggle->sprite_column(), 0);
  EXPECT_EQ(CAppConfig::GetInstance()->fit_toggle_state, 1);
  Click(toggle);
  EXPECT_EQ(toggle->sprite_column(), 12);
  EXPECT_EQ(CAppConfig::GetInstance()->fit_toggle_state, 0);
  EXPECT_EQ(toggle->tooltip_text, GetLangStringById(L"TOOLBAR", 4));
  PostedCommands();
  // A zoom that agrees with the new state changes nothing; one that does not
  // flips it back.
  CUIEventObserver::Broadcast(CUIEventViewZoomChanged(1.0f, 0.5f));
  EXPECT_EQ(toggle->sprite_column(), 12);
  CUIEventObserver::Broadcast(CUIEventViewZoomChanged(0.5f, 0.5f));
  EXPECT_EQ(toggle->sprite_column(), 0);
  EXPECT_EQ(CAppConfig::GetInstance()->fit_toggle_state, 1);
  // A new picture resets it.
  Click(toggle);
  toolbar_.RefreshAll();
  EXPECT_EQ(toggle->sprite_column(), 0);
  EXPECT_EQ(toolbar_.tooltip().GetToolCount(), 13);
}

// The popups of the effect and information buttons, with the skins of the
// program folder.
class ToolbarPopupTest : public ToolbarWindowTest {
 protected:
  void SetUp() override {
    ToolbarWindowTest::SetUp();
    state_.loaded = state_.file_exists = true;
    toolbar_.RefreshAll();
    dock_ = CAppConfig::GetInstance()->toolbar_dock;
    CAppConfig::GetInstance()->toolbar_dock = 0;
  }
  void TearDown() override {
    CAppConfig::GetInstance()->toolbar_dock = dock_;
    ToolbarWindowTest::TearDown();
  }

  skin_test::SkinEnvironment skins_;
  int dock_ = 0;
};

TEST_F(ToolbarPopupTest, AChosenEffectStaysOnUntilTheButtonIsPressedAgain) {
  toolbar_.OnEffectCommand();
  CEffectWnd* chooser = toolbar_.effect_window();
  ASSERT_NE(chooser, nullptr);
  ASSERT_NE(chooser->GetHWND(), nullptr);
  const RECT button = toolbar_.ButtonScreenRect(ID_EFFECT);
  EXPECT_EQ(button.left, 20 + toolbar_.button(ID_EFFECT)->rect.left);
  const RECT placed = skin_test::ScreenRect(chooser->GetHWND());
  EXPECT_EQ(placed.left, button.left - 100);
  EXPECT_EQ(placed.top, button.top - 126);
  EXPECT_TRUE(Active(ID_EFFECT));
  EXPECT_EQ(stats_, std::vector<std::wstring>{L"feature/enhance"});
  test_support::PumpFor(150);

  ASSERT_TRUE(skin_test::ClickControl(*chooser, L"hd"));
  ASSERT_TRUE(test_support::PumpUntil([&] { return toolbar_.effect_window() == nullptr; }, 5000));
  EXPECT_EQ(CAppConfig::GetInstance()->current_effect, 3);
  EXPECT_TRUE(Active(ID_EFFECT)) << "the effect is on";
  EXPECT_EQ(PostedCommands(), std::vector<WPARAM>{ID_EFFECT_CHANGED});

  // Pressed again, the button switches the effect off instead of opening.
  toolbar_.OnEffectCommand();
  EXPECT_EQ(toolbar_.effect_window(), nullptr);
  EXPECT_EQ(CAppConfig::GetInstance()->current_effect, 0);
  EXPECT_FALSE(Active(ID_EFFECT));
  EXPECT_EQ(PostedCommands(), std::vector<WPARAM>{ID_EFFECT_CHANGED});
  EXPECT_EQ(stats_.size(), 2u) << "one statistic per press";
}

TEST_F(ToolbarPopupTest, ADismissedChooserLeavesTheEffectOff) {
  toolbar_.OnEffectCommand();
  ASSERT_NE(toolbar_.effect_window(), nullptr);
  test_support::PumpFor(150);
  SetFocus(parent_);
  ASSERT_TRUE(test_support::PumpUntil([&] { return toolbar_.effect_window() == nullptr; }, 5000));
  EXPECT_EQ(CAppConfig::GetInstance()->current_effect, 0);
  EXPECT_FALSE(Active(ID_EFFECT));
  EXPECT_TRUE(PostedCommands().empty()) << "nothing to redraw";
  // A late answer with no chooser open changes nothing.
  SendMessageW(toolbar_, UM_EFFECT_CHOSEN, 2, 0);
  EXPECT_EQ(CAppConfig::GetInstance()->current_effect, 0);
}

TEST_F(ToolbarPopupTest, InformationWindowTogglesAtTheButtonAndFollowsIt) {
  toolbar_.OnInfoCommand();
  WndShowExif2* info = toolbar_.info_window();
  ASSERT_NE(info, nullptr);
  ASSERT_NE(info->GetHWND(), nullptr);
  EXPECT_TRUE(Active(ID_INFO_WINDOW));
  // The parent ends near the screen's right edge: the window stays on it.
  RECT button = toolbar_.ButtonScreenRect(ID_INFO_WINDOW);
  RECT placed = skin_test::ScreenRect(info->GetHWND());
  const int width = placed.right - placed.left;
  EXPECT_EQ(placed.left, std::min<LONG>(button.left, GetSystemMetrics(SM_CXSCREEN) - width));
  EXPECT_EQ(placed.top, button.bottom);
  EXPECT_EQ(GetWindow(info->GetHWND(), GW_OWNER), parent_);

  // The toolbar at the bottom: it opens upwards; the toolbar moved, it follows.
  CAppConfig::GetInstance()->toolbar_dock = 1;
  SetWindowPos(parent_, nullptr, 0, 650, 900, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(toolbar_, nullptr, 0, 0, 900, 60, SWP_NOZORDER | SWP_NOACTIVATE);
  toolbar_.PlaceInfoWindow();
  button = toolbar_.ButtonScreenRect(ID_INFO_WINDOW);
  placed = skin_test::ScreenRect(info->GetHWND());
  EXPECT_EQ(placed.left, button.left);
  EXPECT_EQ(placed.bottom, button.top);

  // Its close button asks the main window for the toggle.
  test_support::PumpFor(150);
  ASSERT_TRUE(skin_test::ClickControl(*info, L"cls"));
  std::vector<WPARAM> commands;
  ASSERT_TRUE(test_support::PumpUntil(
      [&] {
        commands = PostedCommands();
        return !commands.empty();
      },
      5000));
  EXPECT_EQ(commands, std::vector<WPARAM>{ID_INFO_WINDOW});
  toolbar_.OnInfoCommand();
  EXPECT_EQ(toolbar_.info_window(), nullptr);
  EXPECT_FALSE(Active(ID_INFO_WINDOW));
}

}  // namespace
