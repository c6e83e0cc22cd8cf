#include <windows.h>
#include <commctrl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <memory>

#include "framework/auto_init_com.h"
#include "framework/auto_init_gdiplus.h"
#include "toolkit/tests/toolkit_host.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_layouts.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_option.h"

namespace {

using toolkit_test::Note;
using toolkit_test::TestHost;

class ToolkitEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    com_ = std::make_unique<FCAutoInitializeCOM>();
    gdiplus_ = std::make_unique<FCAutoInitGDIPlus>();
  }
  void TearDown() override {
    gdiplus_.reset();
    com_.reset();
  }

 private:
  std::unique_ptr<FCAutoInitializeCOM> com_;
  std::unique_ptr<FCAutoInitGDIPlus> gdiplus_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

TEST(ToolkitLayout, FixedSizesPaddingFloatAndStretch) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="400,300" caption="0,0,0,40">
    <VerticalLayout inset="10,10,10,10" childpadding="5">
      <HorizontalLayout name="row" height="40" childpadding="4">
        <Control name="fixed" width="100" />
        <Control name="stretch1" />
        <Control name="stretch2" />
        <Control name="padded" width="50" padding="6,3,2,1" />
      </HorizontalLayout>
      <Control name="middle" />
      <Control name="narrow" height="20" width="80" />
      <Control name="float" float="true" pos="5,200,105,230" />
    </VerticalLayout>
  </Window>)"))
      << std::string(host.error.begin(), host.error.end());
  EXPECT_EQ(host.manager.GetInitSize().cx, 400);
  EXPECT_EQ(host.manager.GetCaptionRect().bottom, 40);
  const struct {
    const wchar_t* name;
    RECT rect;
  } expected[] = {
      // Inner width 380: 100 + 50 + 6 + 2 fixed, three gaps of 4, the rest halved.
      {L"row", {10, 10, 390, 50}},
      {L"fixed", {10, 10, 110, 50}},
      {L"stretch1", {114, 10, 219, 50}},
      {L"stretch2", {223, 10, 328, 50}},
      {L"padded", {338, 13, 388, 49}},
      // Inner height 280 less 40 and 20 and two gaps of 5.
      {L"middle", {10, 55, 390, 265}},
      {L"narrow", {10, 270, 90, 290}},
      // Floating: from the parent's top-left, not from inside its inset.
      {L"float", {5, 200, 105, 230}},
  };
  for (const auto& e : expected) {
    const RECT& got = host.Find(e.name)->GetPos();
    EXPECT_TRUE(Same(got, e.rect))
        << std::string(e.name, e.name + wcslen(e.name)) << " at " << RectText(got);
  }
  EXPECT_EQ(host.manager.FindControl(POINT{20, 20}), host.Find(L"fixed"));
  EXPECT_EQ(host.manager.FindControl(POINT{20, 215}), host.Find(L"float"));
  EXPECT_EQ(host.Find(L"nothing of that name"), nullptr);

  // Hiding a child gives its share to the others.
  host.Find(L"narrow")->SetVisible(false);
  host.manager.UpdateLayout();
  EXPECT_EQ(host.Find(L"middle")->GetPos().bottom, 290);
}

// Makes the program's own class "CenterEdit".
class CenterEditMaker : public IDialogBuilderCallback {
 public:
  CControlUI* CreateControl(const wchar_t* name) override {
    if (wcscmp(name, L"CenterEdit") != 0) {
      return nullptr;
    }
    ++made;
    return new CEditUI();
  }
  int made = 0;
};

TEST(ToolkitBuilder, FontsDefaultsAndProgramClasses) {
  TestHost host;
  CenterEditMaker maker;
  ASSERT_TRUE(host.Open(R"(<Window size="300,200">
    <Font name="微软雅黑" size="13" />
    <Font name="微软雅黑" size="16" bold="true" />
    <Default name="Button" value="textcolor=&quot;#FF112233&quot; height=&quot;30&quot;" />
    <VerticalLayout>
      <Button name="a" text="%[SKIN:KEY]" />
      <CenterEdit name="edit" maxchar="3" />
      <Label name="label" font="1" />
    </VerticalLayout>
  </Window>)",
                        {}, &maker));
  EXPECT_EQ(maker.made, 1);
  EXPECT_EQ(host.manager.GetFontCount(), 2);
  LOGFONTW face = {};
  GetObjectW(host.manager.GetFont(1), sizeof(face), &face);
  EXPECT_EQ(face.lfHeight, -16);
  EXPECT_EQ(face.lfWeight, FW_BOLD);
  auto* button = dynamic_cast<CButtonUI*>(host.Find(L"a"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetTextColor(), 0xFF112233u);
  EXPECT_EQ(button->GetFixedHeight(), 30);
  auto* edit = dynamic_cast<CEditUI*>(host.Find(L"edit"));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetMaxChar(), 3);
  EXPECT_NE(edit->GetNativeWindow(), nullptr);
}

TEST(ToolkitBuilder, SkinsThatCannotBeBuiltAreRefused) {
  const struct {
    const char* what;
    const char* skin;
  } cases[] = {
      {"unknown element", "<Window><VerticalLayout><Buton /></VerticalLayout></Window>"},
      {"children of a control that holds none", "<Window><Button><Label /></Button></Window>"},
      {"root that is not a window", "<VerticalLayout />"},
      {"no control", "<Window><Font name=\"a\" /></Window>"},
      {"two root controls", "<Window><Control /><Control /></Window>"},
      {"bad XML", "<Window><Control></Window>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestHost host;
    EXPECT_FALSE(host.Open(c.skin));
    EXPECT_FALSE(host.error.empty());
  }
  // A missing skin file.
  CPaintManagerUI manager;
  const std::string zip = toolkit_test::WriteZip({{"other.xml", "<Window><Control/></Window>"}});
  manager.SetArchive(CSkinArchive::FromMemory(zip.data(), zip.size()));
  std::wstring error;
  EXPECT_EQ(CDialogBuilder().Create(L"skin.xml", nullptr, &manager, &error), nullptr);
  EXPECT_NE(error.find(L"skin.xml"), std::wstring::npos);
}

TEST(ToolkitBuilder, AMissingPictureDrawsNothingAndBuildsAnyway) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="100,100">
    <VerticalLayout bkimage="images/missing.png">
      <Button name="b" normalimage="file='images/none.png' source='0,0,10,10'" />
    </VerticalLayout></Window>)"));
  host.Invalidate();
  UpdateWindow(host.GetHWND());
  EXPECT_EQ(host.manager.GetImage(L"images/missing.png"), nullptr);
  host.Click(L"b");
  EXPECT_EQ(host.Take(L"click").size(), 1u);
}

TEST(ToolkitControls, ButtonsClickWhenEnabledAndReleasedOverThem) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="300,100">
    <HorizontalLayout>
      <Button name="ok" text="OK" />
      <Button name="off" text="Off" enabled="false" />
      <Label name="link" text="link" clickable="true" />
      <Label name="plain" text="plain" />
    </HorizontalLayout></Window>)"));
  host.Click(L"ok");
  host.Click(L"off");
  host.Click(L"link");
  host.Click(L"plain");
  const std::vector<Note> clicks = host.Take(L"click");
  ASSERT_EQ(clicks.size(), 2u);
  EXPECT_EQ(clicks[0].sender, L"ok");
  EXPECT_EQ(clicks[1].sender, L"link");
  // Pressed over the button, released elsewhere: no click.
  const RECT ok = host.Find(L"ok")->GetPos();
  SendMessageW(host.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ok.left + 5, ok.top + 5));
  SendMessageW(host.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(ok.right + 20, ok.top + 5));
  EXPECT_TRUE(host.Take(L"click").empty());
}

TEST(ToolkitControls, OptionGroupsAndCheckBoxes) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="400,100">
    <HorizontalLayout>
      <Option name="a" group="g" selected="true" />
      <Option name="b" group="g" />
      <Option name="other" group="h" selected="true" />
      <CheckBox name="tick" />
    </HorizontalLayout></Window>)"));
  auto* a = dynamic_cast<COptionUI*>(host.Find(L"a"));
  auto* b = dynamic_cast<COptionUI*>(host.Find(L"b"));
  auto* other = dynamic_cast<COptionUI*>(host.Find(L"other"));
  auto* tick = dynamic_cast<CCheckBoxUI*>(host.Find(L"tick"));
  host.notes.clear();
  host.Click(L"b");
  EXPECT_TRUE(b->IsSelected());
  EXPECT_FALSE(a->IsSelected());
  EXPECT_TRUE(other->IsSelected());
  std::vector<Note> changes = host.Take(L"selectchanged");
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].sender, L"a");
  EXPECT_EQ(changes[1].sender, L"b");
  // Clicking the selected option of a group keeps it selected.
  host.Click(L"b");
  EXPECT_TRUE(b->IsSelected());
  EXPECT_TRUE(host.Take(L"selectchanged").empty());
  // Selecting in code, with and without a notification.
  a->Selected(true, false);
  EXPECT_FALSE(b->IsSelected());
  EXPECT_TRUE(host.Take(L"selectchanged").empty());
  host.Click(L"tick");
  EXPECT_TRUE(tick->GetCheck());
  host.Click(L"tick");
  EXPECT_FALSE(tick->GetCheck());
  EXPECT_EQ(host.Take(L"selectchanged").size(), 2u);
}

TEST(ToolkitControls, EditsReportTypingFocusAndKeepTheirLimit) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="300,100">
    <VerticalLayout>
      <Edit name="one" maxchar="3" height="30" />
      <Edit name="two" height="30" />
    </VerticalLayout></Window>)"));
  auto* one = dynamic_cast<CEditUI*>(host.Find(L"one"));
  auto* two = dynamic_cast<CEditUI*>(host.Find(L"two"));
  HWND native = one->GetNativeWindow();
  ASSERT_NE(native, nullptr);
  EXPECT_TRUE(IsWindowVisible(native));
  // Text set by the program is not a change by the user.
  one->SetText(L"12");
  EXPECT_TRUE(host.Take(L"textchanged").empty());
  EXPECT_EQ(one->GetText(), L"12");
  host.Click(L"one");
  EXPECT_EQ(GetFocus(), native);
  EXPECT_EQ(host.Take(L"setfocus").size(), 1u);
  SendMessageW(native, EM_SETSEL, 2, 2);
  for (wchar_t c : std::wstring(L"345")) {
    SendMessageW(native, WM_CHAR, c, 1);
  }
  EXPECT_EQ(one->GetText(), L"123");
  const std::vector<Note> typed = host.Take(L"textchanged");
  ASSERT_EQ(typed.size(), 1u);
  EXPECT_EQ(typed[0].sender, L"one");
  // Tab moves on to the next edit.
  SendMessageW(native, WM_KEYDOWN, VK_TAB, 1);
  EXPECT_EQ(GetFocus(), two->GetNativeWindow());
  const std::vector<Note> lost = host.Take(L"killfocus");
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0].sender, L"one");
  one->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(native));
}

TEST(ToolkitControls, ListsSelectAndReportThePointerOnItems) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="200,200">
    <List name="list" itemheight="30">
      <ListElement name="first" text="First" />
      <ListContainerElement name="second"><Label text="icon" width="20" /></ListContainerElement>
      <ListElement name="off" text="Off" enabled="false" />
    </List></Window>)"));
  auto* list = dynamic_cast<CListUI*>(host.Find(L"list"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(host.Find(L"second")->GetPos().bottom, 60);
  EXPECT_EQ(CPaintManagerUI::FindSubControlByClass(host.Find(L"second"), L"LabelUI")->GetText(),
            L"icon");
  // The row is the item, also over its child label.
  const RECT second = host.Find(L"second")->GetPos();
  EXPECT_EQ(host.manager.FindControl(POINT{second.left + 5, second.top + 5}), host.Find(L"second"));
  host.MoveTo({second.left + 40, second.top + 5});
  host.MoveTo({second.left + 40, second.top + 35});
  const std::vector<Note> entered = host.Take(L"mouseenter");
  const std::vector<Note> left = host.Take(L"mouseleave");
  ASSERT_EQ(entered.size(), 2u);
  EXPECT_EQ(entered[0].sender, L"second");
  EXPECT_EQ(entered[1].sender, L"off");
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].sender, L"second");

  host.Click(L"second");
  std::vector<Note> selected = host.Take(L"itemselect");
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(selected[0].sender, L"list");
  EXPECT_EQ(selected[0].wparam, 1u);
  EXPECT_EQ(static_cast<int>(selected[0].lparam), -1);
  EXPECT_EQ(list->GetCurSel(), 1);
  host.Click(L"off");
  EXPECT_EQ(list->GetCurSel(), 1);
  EXPECT_TRUE(host.Take(L"itemselect").empty());
  EXPECT_TRUE(list->SelectItem(0));
  selected = host.Take(L"itemselect");
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(selected[0].lparam, 1);
}

TEST(ToolkitControls, TabsShowOnePageAndReportTheChange) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="200,200">
    <TabLayout name="pages" selectedid="1">
      <Control name="p0" />
      <VerticalLayout name="p1"><Edit name="edit" height="30" /></VerticalLayout>
      <Control name="p2" />
    </TabLayout></Window>)"));
  auto* pages = dynamic_cast<CTabLayoutUI*>(host.Find(L"pages"));
  EXPECT_EQ(pages->GetCurSel(), 1);
  EXPECT_FALSE(host.Find(L"p0")->IsVisible());
  EXPECT_TRUE(host.Find(L"p1")->IsVisible());
  HWND native = dynamic_cast<CEditUI*>(host.Find(L"edit"))->GetNativeWindow();
  EXPECT_TRUE(IsWindowVisible(native));
  ASSERT_TRUE(pages->SelectItem(2));
  EXPECT_FALSE(host.Find(L"p1")->IsVisible());
  EXPECT_FALSE(IsWindowVisible(native));
  const std::vector<Note> changes = host.Take(L"tabselect");
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].wparam, 2u);
  EXPECT_EQ(changes[0].lparam, 1);
  EXPECT_FALSE(pages->SelectItem(3));
}

TEST(ToolkitControls, ComboOpensItsListAndReportsTheChoice) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="200,100">
    <VerticalLayout>
      <Combo name="recommend" height="30" itemheight="24">
        <ListLabelElement text="10%" />
        <ListLabelElement text="25%" />
      </Combo>
      <Control />
    </VerticalLayout></Window>)"));
  auto* combo = dynamic_cast<CComboUI*>(host.Find(L"recommend"));
  host.Click(L"recommend");
  ASSERT_TRUE(combo->IsDropped());
  HWND drop = FindWindowW(L"ComboDropWnd", nullptr);
  ASSERT_NE(drop, nullptr);
  RECT drop_rect = {};
  GetWindowRect(drop, &drop_rect);
  EXPECT_EQ(drop_rect.bottom - drop_rect.top, 2 * 24 + 2);
  // The second row of the list.
  SendMessageW(drop, WM_MOUSEMOVE, 0, MAKELPARAM(20, 1 + 24 + 10));
  SendMessageW(drop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 1 + 24 + 10));
  SendMessageW(drop, WM_LBUTTONUP, 0, MAKELPARAM(20, 1 + 24 + 10));
  TestHost::Pump(50);
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_EQ(combo->GetText(), L"25%");
  EXPECT_FALSE(combo->IsDropped());
  const std::vector<Note> chosen = host.Take(L"itemselect");
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].sender, L"recommend");
  EXPECT_EQ(chosen[0].wparam, 1u);
}

TEST(ToolkitControls, WindowInitComesOnceAfterTheFirstPaint) {
  TestHost host;
  ASSERT_TRUE(host.Open("<Window size=\"100,100\"><Control /></Window>"));
  TestHost::Pump(50);
  host.Invalidate();
  UpdateWindow(host.GetHWND());
  TestHost::Pump(50);
  EXPECT_EQ(host.Take(L"windowinit").size(), 1u);
}

TEST(ToolkitControls, TooltipsShowOnHover) {
  TestHost host;
  ASSERT_TRUE(host.Open(R"(<Window size="200,100">
    <HorizontalLayout><Label name="name" text="a-long-name.jpg" tooltip="a-long-name.jpg" />
    </HorizontalLayout></Window>)"));
  const RECT rect = host.Find(L"name")->GetPos();
  host.MoveTo({rect.left + 10, rect.top + 10});
  SendMessageW(host.GetHWND(), WM_MOUSEHOVER, 0, MAKELPARAM(rect.left + 10, rect.top + 10));
  HWND tip = FindWindowW(L"tooltips_class32", nullptr);
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(IsWindowVisible(tip));
  wchar_t text[64] = {};
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = host.GetHWND();
  tool.uId = 1;
  tool.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, L"a-long-name.jpg");
  SendMessageW(host.GetHWND(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(tip));
}

}  // namespace
