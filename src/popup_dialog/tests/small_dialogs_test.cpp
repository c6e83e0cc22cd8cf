#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "config/app_config.h"
#include "l10n/lang_string.h"
#include "popup_dialog/dlg_about2.h"
#include "popup_dialog/dlg_delete_confirm2.h"
#include "popup_dialog/dlg_mouse_wheel_favorite2.h"
#include "popup_dialog/dlg_resize_image2.h"
#include "popup_dialog/resize_sizes.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/config_sandbox.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/test_paths.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_option.h"
#include "version.h"

namespace {

using skin_test::ClickControl;
using skin_test::ModalDriver;

class SmallDialogsTest : public skin_test::SkinnedBoxTest {
 protected:
  void Screenshot(WindowImplBase& window, const wchar_t* name) {
    RECT rect = {};
    GetWindowRect(window.GetHWND(), &rect);
    EXPECT_TRUE(test_support::SaveScreenPng(rect, name));
  }
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

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

// ---- Resize ----

// Each case is one or two edits on a fresh picture size; the result is the
// size and percentages the dialog then shows, and whether it may be saved.
TEST(ResizeSizesTest, EditsPresetsAndLimits) {
  enum Op { kWide, kHeight, kWidePercent, kHeightPercent, kPreset };
  struct Edit {
    Op op;
    const wchar_t* text;  // for kPreset, the index as text
    bool lock;
  };
  const struct {
    const char* what;
    int w0, h0;
    std::vector<Edit> edits;
    int w, h, pw, ph;
    bool savable;
  } cases[] = {
      {"lock: percent of width", 1000, 800, {{kWidePercent, L"50", true}}, 500, 400, 50, 50, true},
      {"no lock: width alone", 1000, 800, {{kWide, L"500", false}}, 500, 800, 50, 100, true},
      {"lock: height", 1000, 800, {{kHeight, L"400", true}}, 500, 400, 50, 50, true},
      {"lock: height percent", 1000, 800, {{kHeightPercent, L"25", true}}, 250, 200, 25, 25, true},
      {"no lock: height percent",
       1000,
       800,
       {{kHeightPercent, L"25", false}},
       1000,
       200,
       100,
       25,
       true},
      {"odd sides truncate", 1001, 799, {{kWidePercent, L"50", true}}, 500, 399, 50, 50, true},
      {"percent rounds", 1001, 799, {{kWide, L"333", true}}, 333, 265, 33, 33, true},
      {"percent rounds half up", 200, 100, {{kWide, L"3", false}}, 3, 100, 2, 100, true},
      {"cleared height", 1000, 800, {{kHeight, L"0", true}}, 0, 0, 0, 0, false},
      {"cleared height, no lock", 1000, 800, {{kHeight, L"0", false}}, 1000, 0, 100, 0, false},
      {"preset 10%", 1000, 800, {{kPreset, L"0", true}}, 100, 80, 10, 10, true},
      {"preset 25%", 1000, 800, {{kPreset, L"1", true}}, 250, 200, 25, 25, true},
      {"preset 50% of odd sides", 333, 221, {{kPreset, L"2", true}}, 166, 110, 50, 50, true},
      {"preset 75%", 1000, 800, {{kPreset, L"3", true}}, 750, 600, 75, 75, true},
      {"unknown preset", 1000, 800, {{kPreset, L"4", true}}, 0, 0, 0, 0, false},
      {"not a number", 1000, 800, {{kWide, L"abc", false}}, 0, 800, 0, 100, false},
      {"negative", 1000, 800, {{kWide, L"-20", false}}, -20, 800, -2, 100, false},
      {"lock makes the other side 0", 1000, 800, {{kWide, L"1", true}}, 1, 0, 0, 0, false},
      {"smallest", 1000, 800, {{kWide, L"1", false}, {kHeight, L"1", false}}, 1, 1, 0, 0, true},
      {"widest side", 1000, 1, {{kWide, L"65535", false}}, 65535, 1, 6554, 100, true},
      {"side beyond 65535", 1000, 1, {{kWide, L"65536", false}}, 65536, 1, 6554, 100, false},
      {"absurd percent",
       1000,
       800,
       {{kWidePercent, L"9999", true}},
       99990,
       79992,
       9999,
       9999,
       false},
      {"beyond one buffer",
       1000,
       1000,
       {{kWide, L"65535", false}, {kHeight, L"65535", false}},
       65535,
       65535,
       6554,
       6554,
       false},
      {"just within one buffer",
       65535,
       16384,
       {{kPreset, L"3", true}, {kWidePercent, L"100", true}},
       65535,
       16384,
       100,
       100,
       true},
      {"number beyond int",
       1000,
       800,
       {{kWide, L"99999999999", false}},
       INT_MAX,
       800,
       214748365,
       100,
       false},
      {"no picture", 0, 0, {{kWide, L"10", true}}, 10, 0, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CResizeSizes sizes(c.w0, c.h0);
    for (const Edit& edit : c.edits) {
      switch (edit.op) {
        case kWide:
          sizes.TypeWidth(edit.text, edit.lock);
          break;
        case kHeight:
          sizes.TypeHeight(edit.text, edit.lock);
          break;
        case kWidePercent:
          sizes.TypeWidthPercent(edit.text, edit.lock);
          break;
        case kHeightPercent:
          sizes.TypeHeightPercent(edit.text, edit.lock);
          break;
        case kPreset:
          sizes.ChoosePreset(CResizeSizes::ReadNumber(edit.text));
          break;
      }
    }
    EXPECT_EQ(sizes.width(), c.w);
    EXPECT_EQ(sizes.height(), c.h);
    EXPECT_EQ(sizes.width_percent(), c.pw);
    EXPECT_EQ(sizes.height_percent(), c.ph);
    EXPECT_EQ(sizes.IsSavable(), c.savable);
  }
  const CResizeSizes odd(333, 221);
  EXPECT_EQ(odd.PresetText(0), L"33X22");
  EXPECT_EQ(odd.PresetText(3), L"249X165");
}

// What the dialog shows, typed into as a user types (the native edit
// windows), and what its buttons do.
TEST_F(SmallDialogsTest, ResizeDialogFollowsTheEditsAndRefusesSizesItCannotMake) {
  DlgResizeImage2 dialog(1000, 800, L"C:\\pictures\\photo.png");
  skin_test::MessageBoxRecorder boxes;
  ModalDriver driver;
  driver.Then(L"DlgResizeImage2", [&](WindowImplBase& window) {
    CPaintManagerUI& manager = window.GetPaintManager();
    auto text = [&](const wchar_t* name) {
      CControlUI* control = manager.FindControl(name);
      return control ? Narrow(control->GetText()) : std::string("(missing)");
    };
    auto type = [&](const wchar_t* name, const wchar_t* typed) {
      auto* edit = dynamic_cast<CEditUI*>(manager.FindControl(name));
      ASSERT_TRUE(edit && edit->GetNativeWindow()) << Narrow(name);
      SetWindowTextW(edit->GetNativeWindow(), typed);
    };
    EXPECT_EQ(text(L"item1"), "100X80");
    EXPECT_EQ(text(L"item2"), "250X200");
    EXPECT_EQ(text(L"item3"), "500X400");
    EXPECT_EQ(text(L"item4"), "750X600");
    EXPECT_EQ(text(L"wide"), "1000");
    EXPECT_EQ(text(L"height"), "800");
    EXPECT_EQ(text(L"wide_percent"), "100");
    EXPECT_EQ(text(L"height_percent"), "100");

    type(L"wide_percent", L"50");
    EXPECT_EQ(text(L"wide"), "500");
    EXPECT_EQ(text(L"height_percent"), "50");
    EXPECT_EQ(text(L"height"), "400");
    test_support::PumpFor(300);
    Screenshot(window, L"resize_dialog");

    ASSERT_TRUE(ClickControl(window, L"lock"));
    test_support::PumpFor(200);
    type(L"wide", L"300");
    EXPECT_EQ(text(L"wide_percent"), "30");
    EXPECT_EQ(text(L"height"), "400") << "unlocked: the height stays";
    EXPECT_EQ(text(L"height_percent"), "50");

    type(L"height", L"");
    EXPECT_EQ(text(L"height"), "0");
    DWORD start = 99;
    DWORD end = 99;
    SendMessageW(dynamic_cast<CEditUI*>(manager.FindControl(L"height"))->GetNativeWindow(),
                 EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u) << "the 0 written back is selected, so typing replaces it";
    EXPECT_EQ(end, 1u);
    EXPECT_EQ(text(L"height_percent"), "0");
    EXPECT_EQ(dialog.sizes().height_percent(), 0);

    // A size that cannot be made: the dialog's message, and it stays open.
    ASSERT_TRUE(ClickControl(window, L"ok"));
    EXPECT_TRUE(test_support::PumpUntil([&] { return !boxes.Seen().empty(); }, 10000));
    EXPECT_TRUE(IsWindow(window.GetHWND()));

    auto* presets = dynamic_cast<CComboUI*>(manager.FindControl(L"recommend"));
    ASSERT_NE(presets, nullptr);
    presets->SelectItem(2);
    EXPECT_EQ(text(L"wide"), "500");
    EXPECT_EQ(text(L"height"), "400");
    EXPECT_EQ(text(L"wide_percent"), "50");
    EXPECT_EQ(text(L"height_percent"), "50");
    ASSERT_TRUE(ClickControl(window, L"cancel"));
  });
  EXPECT_EQ(dialog.DoModal(owner_), 2u);
  EXPECT_EQ(driver.done(), 1u);
  ASSERT_EQ(boxes.Seen().size(), 1u);
  const std::wstring refusal = GetLangString(L"DLG_RESIZE", L"9");
  EXPECT_FALSE(refusal.empty());
  EXPECT_EQ(boxes.Seen()[0].text, refusal);
  EXPECT_TRUE(dialog.target_path().empty());
  EXPECT_EQ(dialog.sizes().width(), 500);

  // Escape and the close button are a cancel: 1 would mean a target.
  for (const bool escape : {true, false}) {
    DlgResizeImage2 again(1000, 800, L"C:\\pictures\\photo.png");
    ModalDriver closer;
    closer.Then(L"DlgResizeImage2", [&](WindowImplBase& window) {
      if (escape) {
        skin_test::PressKey(window.GetHWND(), VK_ESCAPE);
      } else {
        ASSERT_TRUE(ClickControl(window, L"cls"));
      }
    });
    EXPECT_EQ(again.DoModal(owner_), 2u) << (escape ? "Escape" : "cls");
    EXPECT_TRUE(again.target_path().empty());
  }
}

// Escape on the delete confirmation keeps the file.
TEST_F(SmallDialogsTest, EscapeDoesNotConfirmADelete) {
  int32_t setting = 1;
  DlgDeleteConfirm2 dialog(&setting);
  ModalDriver driver;
  driver.Then(L"DlgDeleteConfirm2",
              [&](WindowImplBase& window) { skin_test::PressKey(window.GetHWND(), VK_ESCAPE); });
  EXPECT_EQ(dialog.DoModal(owner_), 2u);
  EXPECT_EQ(setting, 1);
}

// ---- Mouse wheel ----

TEST_F(SmallDialogsTest, WheelChoiceIsStoredAndSaved) {
  enum Action { kClickZoom, kUntickNoTip, kOk, kClose, kEscape };
  const struct {
    const char* what;
    std::vector<Action> actions;
    int action;
    int show_favorite;
  } cases[] = {
      {"ok as offered", {kOk}, 0, 0},
      {"zoom", {kClickZoom, kOk}, 1, 0},
      {"zoom, ask again", {kClickZoom, kUntickNoTip, kOk}, 1, 1},
      {"close button stores page turns", {kClickZoom, kClose}, 0, 0},
      {"Escape as the close button", {kClickZoom, kEscape}, 0, 0},
  };
  bool shot = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test_support::ConfigSandbox sandbox(L"wheel");
    std::unique_ptr<CAppConfig> config = sandbox.MakeConfig();
    config->mouse_wheel_action = 99;
    config->show_wheel_favorite = 1;
    {
      DlgMouseWheelFavorite2 dialog(*config);
      EXPECT_EQ(DlgMouseWheelFavorite2::Current(), &dialog);
      ModalDriver driver;
      driver.Then(L"DlgMouseWheelFavorite2", [&](WindowImplBase& window) {
        CPaintManagerUI& manager = window.GetPaintManager();
        auto selected = [&](const wchar_t* name) {
          auto* option = dynamic_cast<COptionUI*>(manager.FindControl(name));
          return option && option->IsSelected();
        };
        EXPECT_TRUE(selected(L"turnpage"));
        EXPECT_FALSE(selected(L"zoom"));
        EXPECT_TRUE(selected(L"notip"));
        if (!shot) {
          Screenshot(window, L"wheel_dialog");
          shot = true;
        }
        for (const Action action : c.actions) {
          switch (action) {
            case kClickZoom:
              ASSERT_TRUE(ClickControl(window, L"zoom"));
              break;
            case kUntickNoTip:
              ASSERT_TRUE(ClickControl(window, L"notip"));
              break;
            case kOk:
              ASSERT_TRUE(ClickControl(window, L"ok"));
              break;
            case kClose:
              ASSERT_TRUE(ClickControl(window, L"cls"));
              break;
            case kEscape:
              skin_test::PressKey(window.GetHWND(), VK_ESCAPE);
              break;
          }
          test_support::PumpFor(100);
        }
      });
      EXPECT_EQ(dialog.DoModal(owner_), 1u);
    }
    EXPECT_EQ(DlgMouseWheelFavorite2::Current(), nullptr);
    EXPECT_EQ(config->mouse_wheel_action, c.action);
    EXPECT_EQ(config->show_wheel_favorite, c.show_favorite);
    const wchar_t* file = sandbox.settings_file().c_str();
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"app", L"mouse_wheel_action", -1, file)),
              c.action);
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntW(L"app", L"show_wheel_favorite", -1, file)),
              c.show_favorite);
  }
}

// ---- About ----

// Puts a command of our own in place of the browser for https addresses,
// recording what it was asked to open; the browser's command is put back
// afterwards.
class BrowserStandIn {
 public:
  explicit BrowserStandIn(const std::wstring& record) {
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS) {
      key_ = nullptr;
      return;
    }
    wchar_t old[1024] = {};
    DWORD size = sizeof(old);
    had_value_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                  &size) == ERROR_SUCCESS;
    old_ = old;
    Set(L"cmd.exe /c echo %1>\"" + record + L"\"");
  }
  ~BrowserStandIn() {
    if (!key_) {
      return;
    }
    if (had_value_) {
      Set(old_);
    } else {
      RegDeleteValueW(key_, nullptr);
    }
    RegCloseKey(key_);
  }
  BrowserStandIn(const BrowserStandIn&) = delete;
  BrowserStandIn& operator=(const BrowserStandIn&) = delete;

  bool in_place() const { return key_ != nullptr; }

 private:
  static constexpr const wchar_t* kCommandKey = L"https\\shell\\open\\command";
  void Set(const std::wstring& command) {
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }

  HKEY key_ = nullptr;
  bool had_value_ = false;
  std::wstring old_;
};

TEST_F(SmallDialogsTest, AboutShowsTheProgramFilesVersionAndOpensTheAgreementPages) {
  const std::wstring program = test_support::DistFolder() + L"\\Lumora.exe";
  EXPECT_EQ(DlgAbout2::ReadFileVersion(program), LUMORA_VERSION_WTEXT);
  EXPECT_EQ(DlgAbout2::ReadFileVersion(test_support::DistFolder() + L"\\missing.exe"), L"");

  test_support::ScratchFolder scratch(L"about");
  const std::wstring record = scratch.File(L"opened.txt");
  BrowserStandIn browser(record);
  ASSERT_TRUE(browser.in_place());
  DlgAbout2 dialog(program);
  ModalDriver driver;
  driver.Then(L"DlgAbout2", [&](WindowImplBase& window) {
    CControlUI* version = window.GetPaintManager().FindControl(L"version_desc");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->GetText(), std::wstring(L"版本信息：") + LUMORA_VERSION_WTEXT);
    Screenshot(window, L"about_dialog");
    for (const wchar_t* link : {L"license", L"privacy"}) {
      // The previous page's stand-in may still hold the record open.
      ASSERT_TRUE(test_support::PumpUntil(
          [&] { return DeleteFileW(record.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
          10000));
      ASSERT_TRUE(ClickControl(window, link));
      const std::wstring expected =
          std::wstring(link) == L"license" ? DlgAbout2::kAgreementUrl : DlgAbout2::kPrivacyUrl;
      EXPECT_TRUE(test_support::PumpUntil(
          [&] {
            return test_support::ReadFileBytes(record).find(Narrow(expected)) != std::string::npos;
          },
          15000))
          << test_support::ReadFileBytes(record);
      EXPECT_TRUE(IsWindow(window.GetHWND())) << "the box stays open";
    }
    ASSERT_TRUE(ClickControl(window, L"cls"));
  });
  EXPECT_EQ(dialog.DoModal(owner_), 2u);
  EXPECT_EQ(driver.done(), 1u);
}

}  // namespace
