#include "popup_dialog/dlg_base.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "popup_dialog/convert_msg_box.h"
#include "popup_dialog/label_ui2.h"
#include "popup_dialog/message_box.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/screenshots.h"
#include "support/test_paths.h"
#include "toolkit/tests/zip_writer.h"

namespace {

using skin_test::ClickControl;
using skin_test::ModalDriver;

// A modal dialog on the message box's skin.
class TestDialog : public CDlgBase {
 public:
  const wchar_t* GetWindowClassName() const override { return L"LumoraTestDialog"; }
  std::wstring GetSkinFile() override { return L"msgbox.xml"; }
};

class WindowBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 50, 50, 700, 500,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override { DestroyWindow(owner_); }

  // A zip in the scratch folder holding these entries and the message
  // box's pictures.
  std::wstring SkinZip(const std::string& name, std::vector<toolkit_test::ZipEntry> entries) {
    const std::wstring path = scratch_.File(std::wstring(name.begin(), name.end()));
    test_support::WriteFileBytes(path, toolkit_test::WriteZip(entries));
    return path;
  }

  skin_test::SkinEnvironment env_;
  test_support::ScratchFolder scratch_{L"skins"};
  HWND owner_ = nullptr;
};

TEST_F(WindowBaseTest, AQuitDuringTheModalRunEndsItAndComesBackToTheOwner) {
  TestDialog dialog;
  bool owner_was_disabled = false;
  ModalDriver driver;
  driver.Then(L"LumoraTestDialog", [&](WindowImplBase&) {
    owner_was_disabled = !IsWindowEnabled(owner_);
    PostQuitMessage(7);
  });
  EXPECT_EQ(dialog.DoModal(owner_), 0u);
  EXPECT_TRUE(owner_was_disabled);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(GetFocus(), owner_);
  // The quit is handed on to the outer loop.
  MSG msg = {};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(WindowBaseTest, AnyCloseGivesItsResultAndTheOwnerBack) {
  {
    // A sent close, as the main window's quit handling sends it.
    TestDialog dialog;
    ModalDriver driver;
    driver.Then(L"LumoraTestDialog",
                [](WindowImplBase& window) { SendMessageW(window.GetHWND(), WM_CLOSE, 5, 0); });
    EXPECT_EQ(dialog.DoModal(owner_), 5u);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(GetFocus(), owner_);
  }
  {
    // The dialog object deleted by its owner while it runs.
    auto* dialog = new TestDialog();
    ModalDriver driver;
    driver.Then(L"LumoraTestDialog", [&](WindowImplBase&) { delete dialog; });
    EXPECT_EQ(dialog->DoModal(owner_), 0u);
    EXPECT_TRUE(IsWindowEnabled(owner_));
  }
}

TEST_F(WindowBaseTest, CaptionDragsAndControlsTakeClicks) {
  CMessageBox box(L"text", 1, L"center", 0);
  LRESULT background = 0;
  LRESULT close = 0;
  LRESULT button = 0;
  ModalDriver driver;
  driver.Then(L"CMessageBox", [&](WindowImplBase& window) {
    auto at = [&](POINT point) {
      ClientToScreen(window.GetHWND(), &point);
      return SendMessageW(window.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    };
    background = at({20, 100});
    close = at({372, 20});
    button = at({250, 148});
    window.Close(1);
  });
  RunSkinnedModal(box, owner_);
  EXPECT_EQ(background, HTCAPTION);
  EXPECT_EQ(close, HTCLIENT);
  EXPECT_EQ(button, HTCLIENT);

  // In the convert box only the file name and combo boxes are clickable
  // inside the caption; here the caption is the whole skin.
  env_.UseArchive(
      SkinZip("convert.zip",
              {{"convert_box.xml",
                "<Window size=\"300,200\" caption=\"0,0,0,200\"><VerticalLayout>"
                "<Label name=\"title\" height=\"40\" /><Label name=\"filename\" height=\"40\" />"
                "<Combo name=\"combo\" height=\"40\" /><Button name=\"right_btn\" height=\"40\" />"
                "<Option name=\"dropList\" /></VerticalLayout></Window>"}}));
  CConvertMsgBox convert(owner_, L"name.png", {L"JPEG格式 (*.jpg)"});
  std::vector<LRESULT> hits;
  driver.Then(L"CConvertMsgBox", [&](WindowImplBase& window) {
    for (const wchar_t* name : {L"title", L"filename", L"combo", L"right_btn", L"dropList"}) {
      const RECT rect = window.GetPaintManager().FindControl(name)->GetPos();
      POINT point = {rect.left + 4, rect.top + 4};
      ClientToScreen(window.GetHWND(), &point);
      hits.push_back(SendMessageW(window.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y)));
    }
    window.Close(2);
  });
  EXPECT_EQ(convert.RunModal(), 2u);
  EXPECT_EQ(hits, (std::vector<LRESULT>{HTCAPTION, HTCLIENT, HTCLIENT, HTCAPTION, HTCAPTION}));
}

TEST_F(WindowBaseTest, TheMessageBoxIsLayeredWithAShadowThatFollowsIt) {
  CMessageBox box(L"text", 0, L"center", 0);
  bool layered = false;
  RECT shadow = {};
  RECT window_rect = {};
  bool shadow_hidden = false;
  ModalDriver driver;
  driver.Then(L"CMessageBox", [&](WindowImplBase& window) {
    layered = (GetWindowLongPtrW(window.GetHWND(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    HWND shade = skin_test::FindThreadWindow(L"LumoraShadowWnd");
    SetWindowPos(window.GetHWND(), nullptr, 200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    window_rect = skin_test::ScreenRect(window.GetHWND());
    if (shade) {
      shadow = skin_test::ScreenRect(shade);
      ShowWindow(window.GetHWND(), SW_HIDE);
      shadow_hidden = !IsWindowVisible(shade);
    }
    window.Close(1);
  });
  RunSkinnedModal(box, owner_);
  EXPECT_TRUE(layered);
  EXPECT_EQ(shadow.left, window_rect.left - 9);
  EXPECT_EQ(shadow.top, window_rect.top - 9);
  EXPECT_EQ(shadow.right, window_rect.right + 9);
  EXPECT_EQ(shadow.bottom, window_rect.bottom + 9);
  EXPECT_TRUE(shadow_hidden);
  EXPECT_EQ(skin_test::FindThreadWindow(L"LumoraShadowWnd"), nullptr);
}

// The most separate strokes a row of the text crosses. A box drawn for a
// missing glyph crosses at most its two sides; a Chinese character more.
int MostStrokesInARow(const std::vector<uint32_t>& pixels, int width) {
  int most = 0;
  for (size_t row = 0; row + width <= pixels.size(); row += static_cast<size_t>(width)) {
    int strokes = 0;
    bool inside = false;
    for (int x = 0; x < width; ++x) {
      const bool ink = skin_test::Red(pixels[row + static_cast<size_t>(x)]) > 80;
      strokes += ink && !inside ? 1 : 0;
      inside = ink;
    }
    most = std::max(most, strokes);
  }
  return most;
}

TEST_F(WindowBaseTest, ChineseTextIsDrawnAsGlyphsNotBoxes) {
  for (const wchar_t* text : {L"确", L"图"}) {
    std::vector<uint32_t> pixels;
    int width = 0;
    ModalDriver driver;
    driver.Then(L"CMessageBox", [&](WindowImplBase& window) {
      auto& box = dynamic_cast<CMessageBox&>(window);
      const RECT rect = box.message_label()->GetPos();
      width = rect.right - rect.left;
      pixels = skin_test::ClientPixels(window.GetHWND(), rect);
      window.Close(1);
    });
    CMessageBox::ShowMessage(owner_, text, 0, L"center", 0);
    ASSERT_FALSE(pixels.empty());
    EXPECT_GE(MostStrokesInARow(pixels, width), 3) << "as boxes: " << text[0];
  }
}

TEST_F(WindowBaseTest, TheBuiltInBoxNeedsNoSkinArchive) {
  env_.UseArchive(scratch_.File(L"missing.zip"));
  std::wstring text;
  uint32_t background = 0;
  ModalDriver driver;
  driver.Then(L"CMessageBox", [&](WindowImplBase& window) {
    auto& box = dynamic_cast<CMessageBox&>(window);
    text = box.message_label()->GetText();
    background = skin_test::ClientPixels(window.GetHWND(), {5, 60, 6, 61})[0];
    RECT shot = skin_test::ScreenRect(window.GetHWND());
    InflateRect(&shot, 14, 14);
    test_support::SaveScreenPng(shot, L"msgbox_builtin_cn");
    ClickControl(window, L"right_btn");
  });
  EXPECT_EQ(CMessageBox::ShowMessage(nullptr, L"图片查看失败，请重新下载看图软件", 0, L"left", 1),
            1);
  EXPECT_EQ(text, L"图片查看失败，请重新下载看图软件");
  EXPECT_EQ(background, 0xFFFFFFu);
  EXPECT_TRUE(env_.failures().empty());
}

TEST_F(WindowBaseTest, SkinsThatCannotBeLoadedAreReportedWithoutAHang) {
  const std::string pictures_free_box =
      "<Window size=\"392,182\"><VerticalLayout bkimage=\"images/none.png\">"
      "<HorizontalLayout name=\"content_area\" float=\"true\" pos=\"0,30,392,130\" />"
      "<HorizontalLayout name=\"btn_area\" float=\"true\" pos=\"0,130,392,166\" />"
      "</VerticalLayout></Window>";
  const struct {
    const char* what;
    std::wstring archive;
    bool fails;
  } cases[] = {
      {"no archive", scratch_.File(L"missing.zip"), true},
      {"an archive that is no zip", SkinZip("damaged.zip", {}), true},
      {"bad XML", SkinZip("bad.zip", {{"msgbox.xml", "<Window><VerticalLayout></Window>"}}), true},
      {"an unknown element", SkinZip("unknown.zip", {{"msgbox.xml", "<Window><Buton/></Window>"}}),
       true},
      {"no skin of that name", SkinZip("other.zip", {{"other.xml", pictures_free_box}}), true},
      {"a missing picture", SkinZip("pictures.zip", {{"msgbox.xml", pictures_free_box}}), false},
  };
  // A file that is not a zip at all.
  test_support::WriteFileBytes(cases[1].archive, std::string(300, '\x07'));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    env_.UseArchive(c.archive);
    const size_t failures = env_.failures().size();
    ModalDriver driver;
    driver.Then(L"CMessageBox", [](WindowImplBase& window) { ClickControl(window, L"right_btn"); });
    const int result = CMessageBox::ShowMessage(owner_, L"text", 0, L"center", 0);
    EXPECT_EQ(env_.failures().size(), failures + (c.fails ? 1 : 0));
    EXPECT_EQ(result, c.fails ? 0 : 1);
    EXPECT_TRUE(IsWindowEnabled(owner_));
  }
  // A zip resource that the program does not hold leaves the window empty.
  class Orphan : public CMessageBox {
   public:
    Orphan() : CMessageBox(L"text", 0, L"left", 1) {}
    UINT GetResourceID() const override { return 999; }
  };
  Orphan orphan;
  const size_t failures = env_.failures().size();
  EXPECT_EQ(RunSkinnedModal(orphan, owner_), 0u);
  EXPECT_EQ(env_.failures().size(), failures);
}

}  // namespace
