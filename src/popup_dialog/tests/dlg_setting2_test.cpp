#include "popup_dialog/dlg_setting2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

#include "app/ipc/channel.h"
#include "app/ipc/channel_names.h"
#include "app/ipc/ipc_message_mgr.h"
#include "app/ipc/pickle.h"
#include "config/app_config.h"
#include "popup_dialog/tests/skin_test_support.h"
#include "support/message_pump.h"
#include "support/screenshots.h"
#include "support/test_hive.h"
#include "support/test_paths.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_option.h"

namespace {

std::wstring WithSlash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

std::wstring ReadIni(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[64] = {};
  GetPrivateProfileStringW(section, key, L"<none>", value, 64, file.c_str());
  return value;
}

// A settings file of the test's own, with the program's language files.
struct Sandbox {
  test_support::ScratchFolder folder{L"settings-dialog"};
  std::wstring settings = folder.File(L"config.ini");
  std::unique_ptr<CAppConfig> Config() const {
    return std::make_unique<CAppConfig>(settings,
                                        WithSlash(test_support::DistFolder()) + L"locales\\");
  }
};

COptionUI* Option(WindowImplBase& window, const wchar_t* name) {
  return static_cast<COptionUI*>(window.GetPaintManager().FindControl(name));
}

// Types into one of the dialog's edits through its native window, as a user would.
// Types text into the edit as keystrokes do, over what it holds (so the
// edit's length limit applies).
void Type(WindowImplBase& window, const wchar_t* name, const wchar_t* text) {
  auto* edit = static_cast<CEditUI*>(window.GetPaintManager().FindControl(name));
  ASSERT_NE(edit, nullptr) << name;
  HWND native = edit->GetNativeWindow();
  ASSERT_NE(native, nullptr) << name;
  SendMessageW(native, EM_SETSEL, 0, -1);
  SendMessageW(native, WM_CLEAR, 0, 0);
  for (const wchar_t* c = text; *c; ++c) {
    SendMessageW(native, WM_CHAR, *c, 1);
  }
}

}  // namespace

TEST(DlgSetting2, NumberEditsClampWhatIsTyped) {
  struct Case {
    const wchar_t* text;
    int zoom;
    int quality;
  };
  const Case cases[] = {{L"", 8, 80},      {L"2", 4, 2},      {L"0", 4, 0},
                        {L"5", 5, 5},      {L"31", 31, 31},   {L"32", 32, 32},
                        {L"100", 32, 100}, {L"999", 32, 100}, {L"99999999999", 32, 100}};
  for (const Case& c : cases) {
    EXPECT_EQ(DlgSetting2::ClampZoomRatio(c.text), c.zoom) << c.text;
    EXPECT_EQ(DlgSetting2::ClampJpegQuality(c.text), c.quality) << c.text;
  }
}

TEST(DlgSetting2, HotkeyTextUsesTheKeyboardsNamesAndAssociationEntriesKeepMapOrder) {
  wchar_t alt[64] = {};
  wchar_t d[64] = {};
  GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(VK_MENU, MAPVK_VK_TO_VSC) << 16), alt, 64);
  GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW('D', MAPVK_VK_TO_VSC) << 16), d, 64);
  ASSERT_NE(alt[0], 0);
  EXPECT_EQ(DlgSetting2::HotkeyText(1092), std::wstring(alt) + L" + " + d);
  EXPECT_EQ(DlgSetting2::HotkeyText(0), L"");
  const std::wstring ctrl_alt_k = DlgSetting2::HotkeyText('K' | (6 << 8));
  EXPECT_EQ(std::count(ctrl_alt_k.begin(), ctrl_alt_k.end(), L'+'), 2) << ctrl_alt_k;

  std::map<std::wstring, bool> pending = {{L"jpg", false}, {L"jpe", false}, {L"png", true}};
  EXPECT_EQ(DlgSetting2::AssociationEntries(pending), L"|jpe:0||jpg:0||png:1|");
}

// The lock-screen request while the dialog is open shows the page the
// dialog was opened on again, whichever page the user went to.
TEST(DlgSetting2, TheRequestWhileOpenShowsItsOwnStartPageAgain) {
  skin_test::SkinEnvironment env;
  Sandbox sandbox;
  auto config = sandbox.Config();
  for (int start_page : {0, 4}) {
    SCOPED_TRACE(start_page);
    int opened_on = -1;
    int after_request = -1;
    skin_test::ModalDriver driver;
    driver.Then(L"DlgSetting2", [&](WindowImplBase& window) {
      auto* pages = static_cast<CListUI*>(window.GetPaintManager().FindControl(L"page_list"));
      ASSERT_NE(pages, nullptr);
      opened_on = pages->GetCurSel();
      pages->SelectItem(2);
      static_cast<DlgSetting2&>(window).SelectStartPage();
      after_request = pages->GetCurSel();
      skin_test::ClickControl(window, L"cls");
    });
    DlgSetting2 dialog(start_page, config.get());
    dialog.set_channel(nullptr);
    dialog.DoModal(nullptr);
    EXPECT_EQ(driver.done(), 1u);
    EXPECT_EQ(opened_on, start_page);
    EXPECT_EQ(after_request, start_page);
  }
}

// Every control changes its setting in the dialog, and the settings file
// read after the dialog has closed gives it back; number edits store their
// clamped value.
TEST(DlgSetting2, EveryChoiceRoundTripsThroughTheSettingsFile) {
  skin_test::SkinEnvironment env;
  Sandbox sandbox;
  auto config = sandbox.Config();
  config->mouse_wheel_action = 99;
  config->Save();

  skin_test::ModalDriver driver;
  int shown_page = -1;
  int wheel_after_scale = -1;
  int favorite_after_scale = -1;
  int favorite_after_turnpage = -1;
  driver.Then(L"DlgSetting2", [&](WindowImplBase& window) {
    // The wheel prompt stays due until "turnpage" is chosen.
    Option(window, L"scale")->Selected(true);
    wheel_after_scale = config->mouse_wheel_action;
    favorite_after_scale = config->show_wheel_favorite;
    Option(window, L"turnpage")->Selected(true);
    favorite_after_turnpage = config->show_wheel_favorite;
    for (const wchar_t* name : {L"scale", L"origin", L"google", L"loop", L"rotate_save",
                                L"ignore_icc", L"hard_speed_up", L"long_graph"}) {
      ASSERT_NE(Option(window, name), nullptr) << name;
      Option(window, name)->Selected(true);
    }
    Option(window, L"confirm_del")->Selected(false);
    Type(window, L"num_multiple", L"100");
    Type(window, L"edt_quality", L"0");
    RECT shot = skin_test::ScreenRect(window.GetHWND());
    test_support::SaveScreenPng(shot, L"setting_page0");
    for (int page = 1; page < 5; ++page) {
      static_cast<CListUI*>(window.GetPaintManager().FindControl(L"page_list"))->SelectItem(page);
      MSG msg;
      for (DWORD end = GetTickCount() + 300; GetTickCount() < end;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          DispatchMessageW(&msg);
        }
        Sleep(10);
      }
      test_support::SaveScreenPng(shot, L"setting_page" + std::to_wstring(page));
    }
    shown_page = 4;
    Option(window, L"lockscreen_yes")->Selected(true);
    Option(window, L"minutes_30")->Selected(true);
    skin_test::ClickControl(window, L"cls");
  });
  DlgSetting2 dialog(0, config.get());
  dialog.set_channel(nullptr);
  EXPECT_EQ(dialog.DoModal(nullptr), 0u);
  EXPECT_EQ(shown_page, 4);
  EXPECT_EQ(wheel_after_scale, 1);
  EXPECT_EQ(favorite_after_scale, 1);
  EXPECT_EQ(favorite_after_turnpage, 0);
  EXPECT_EQ(dialog.redraw(), 1);
  // Closing the dialog saved the choices: the next opening loads the file.

  auto reread = sandbox.Config();
  EXPECT_EQ(reread->mouse_wheel_action, 1);
  EXPECT_EQ(reread->double_click_action, 1);
  EXPECT_EQ(reread->gps_map_vendor, 1);
  EXPECT_EQ(reread->view_folder_loop, 1);
  EXPECT_EQ(reread->rotate_auto_save, 1);
  EXPECT_EQ(reread->ignore_embedded_icc, 1);
  EXPECT_EQ(reread->hardware_zoom, 1);
  EXPECT_EQ(reread->long_image_mode, 1);
  EXPECT_EQ(reread->show_delete_confirm, 0);
  EXPECT_EQ(reread->max_zoom_ratio, 32);
  EXPECT_EQ(reread->save_jpeg_quality, 0);
  EXPECT_EQ(reread->lockscreen_enable, 1);
  EXPECT_EQ(reread->lockscreen_time, 30);
  EXPECT_EQ(ReadIni(sandbox.settings, L"lockscreen", L"time"), L"30");

  // Opened again, the dialog shows the stored choices.
  bool scale_shown = false;
  bool turnpage_shown = true;
  skin_test::ModalDriver again;
  again.Then(L"DlgSetting2", [&](WindowImplBase& window) {
    scale_shown = Option(window, L"scale")->IsSelected();
    turnpage_shown = Option(window, L"turnpage")->IsSelected();
    skin_test::ClickControl(window, L"cls");
  });
  DlgSetting2 second(0, reread.get());
  second.set_channel(nullptr);
  second.DoModal(nullptr);
  EXPECT_TRUE(scale_shown);
  EXPECT_FALSE(turnpage_shown);
  EXPECT_TRUE(env.failures().empty());
}

// Unticking JPEG covers its four extensions in user_assoc.ini; closing the
// dialog hands every change to the association module.
TEST(DlgSetting2, FileTypesGoToUserAssocIniAndTheAssociationModule) {
  skin_test::SkinEnvironment env;
  Sandbox sandbox;
  auto config = sandbox.Config();
  test_support::TestHive hive(L"settings-assoc");

  skin_test::ModalDriver driver;
  driver.Then(L"DlgSetting2", [&](WindowImplBase& window) {
    Option(window, L"jpg")->Selected(true);
    Option(window, L"png")->Selected(true);
    Option(window, L"jpg")->Selected(false);
    skin_test::ClickControl(window, L"cls");
  });
  auto dialog = std::make_unique<DlgSetting2>(0, config.get());
  dialog->set_channel(nullptr);
  dialog->set_association_module(WithSlash(test_support::DistFolder()) + L"ZidizOdera.dll");
  dialog->DoModal(nullptr);
  const std::wstring assoc = sandbox.folder.File(L"user_assoc.ini");
  for (const wchar_t* ext : {L"jpg", L"jpeg", L"jfif", L"jpe"}) {
    EXPECT_EQ(ReadIni(assoc, L"app", ext), L"x") << ext;
  }
  EXPECT_EQ(ReadIni(assoc, L"app", L"png"), L"1");
  EXPECT_EQ(ReadIni(assoc, L"app", L"gif"), L"<none>");
  dialog.reset();

  // The module turned png on and left the JPEG types off.
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(hive.root(), L"Software\\Classes\\Lumora.png", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  if (key) {
    RegCloseKey(key);
  }
  wchar_t value[64] = {};
  DWORD size = sizeof(value);
  EXPECT_NE(RegGetValueW(hive.root(), L"Software\\Classes\\.jpg", nullptr, RRF_RT_REG_SZ, nullptr,
                         value, &size),
            ERROR_SUCCESS);
  EXPECT_TRUE(env.failures().empty());
}

namespace {

// The tray program's end of the channel, in this process: what the dialog
// tells the tray program arrives here.
class TrayEnd : public IChannelListener2 {
 public:
  struct Heard {
    uint32_t type;
    std::string text;
    int32_t value;
  };

  TrayEnd() {
    connected = server_.Connect(IPC::kTrayChannelName, false);
    server_.AddListener(this);
  }
  ~TrayEnd() override {
    server_.RemoveListener(this);
    server_.Close();
  }

  void OnMessageReceived(const IPC::Message& message) override {
    PickleIterator reader(message);
    Heard heard = {message.type(), std::string(), 0};
    if (message.type() == IPC::kTrayAssociation) {
      reader.ReadString(&heard.text);
    }
    reader.ReadInt(&heard.value);
    heard_.push_back(heard);
  }
  int32_t GetRoutingId() override { return IPC::kTrayRoutingId; }
  void OnPeerGone(bool) override {}

  std::vector<Heard> Of(uint32_t type) const {
    std::vector<Heard> found;
    for (const Heard& heard : heard_) {
      if (heard.type == type) {
        found.push_back(heard);
      }
    }
    return found;
  }
  size_t count() const { return heard_.size(); }

  bool connected = false;

 private:
  CChannel server_;
  std::vector<Heard> heard_;
};

void ShowPage(WindowImplBase& window, int page) {
  static_cast<CListUI*>(window.GetPaintManager().FindControl(L"page_list"))->SelectItem(page);
  test_support::PumpFor(100);
}

}  // namespace

// Over the real channel the tray program hears the lock-screen choices, each
// file type that "all" ticks, and the hotkey captured in the hotkey control:
// a bare K becomes Control+Alt+K, shown with the keyboard's key names, and
// Backspace turns the hotkey off.
TEST(DlgSetting2, TheTrayProgramHearsLockScreenFileTypesAndTheCapturedHotkey) {
  skin_test::SkinEnvironment env;
  Sandbox sandbox;
  auto config = sandbox.Config();
  TrayEnd tray;
  ASSERT_TRUE(tray.connected);
  ASSERT_TRUE(CIPCMessageMgr::GetInstance()->Connect());

  const int ctrl_alt_k = 'K' | ((2 | 4) << 8);
  int captured = 0;
  size_t pending = 0;
  std::wstring edit_text;
  std::wstring cleared_text = L"unchanged";
  skin_test::ModalDriver driver;
  auto dialog = std::make_unique<DlgSetting2>(0, config.get());
  dialog->set_association_module(L"");
  DlgSetting2* raw = dialog.get();
  driver.Then(L"DlgSetting2", [&](WindowImplBase& window) {
    ShowPage(window, 4);
    Option(window, L"lockscreen_no")->Selected(true);
    Option(window, L"minutes_5")->Selected(true);
    ShowPage(window, 2);
    Option(window, L"all")->Selected(true);
    test_support::PumpUntil([&] { return tray.Of(IPC::kTrayAssociation).size() >= 24; }, 5000);

    ShowPage(window, 3);
    ASSERT_NE(raw->hotkey_edit(), nullptr);
    // The edit lies over the skin's field.
    RECT field =
        static_cast<CControlUI*>(window.GetPaintManager().FindControl(L"edt_keys"))->GetPos();
    RECT edit = {};
    GetWindowRect(raw->hotkey_edit(), &edit);
    MapWindowPoints(nullptr, window.GetHWND(), reinterpret_cast<POINT*>(&edit), 2);
    EXPECT_TRUE(IsWindowVisible(raw->hotkey_edit()));
    EXPECT_EQ(edit.left, field.left + 1);
    EXPECT_EQ(edit.top, field.top + 4);
    EXPECT_EQ(edit.right, field.right - 1);
    EXPECT_EQ(edit.bottom, field.bottom - 1);
    SetFocus(raw->hotkey_edit());
    ASSERT_TRUE(test_support::PumpUntil(
        [&] { return raw->capture().IsWindow() && GetFocus() == raw->capture().GetSafeHwnd(); },
        3000));
    HWND capture = raw->capture().GetSafeHwnd();
    EXPECT_TRUE(IsWindowVisible(capture));
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW('K', MAPVK_VK_TO_VSC)) << 16;
    SendMessageW(capture, WM_KEYDOWN, 'K', scan | 1);
    SendMessageW(capture, WM_KEYUP, 'K', scan | 0xC0000001);
    captured = raw->capture().GetValue();
    test_support::PumpFor(300);
    test_support::SaveScreenPng(skin_test::ScreenRect(window.GetHWND()), L"setting_hotkey_capture");
    // Leaving the control applies what it holds.
    SetFocus(window.GetHWND());
    test_support::PumpUntil([&] { return !tray.Of(IPC::kTrayHotkey).empty(); }, 3000);
    wchar_t text[128] = {};
    GetWindowTextW(raw->hotkey_edit(), text, 128);
    edit_text = text;
    test_support::PumpFor(300);
    test_support::SaveScreenPng(skin_test::ScreenRect(window.GetHWND()), L"setting_hotkey_set");
    pending = raw->pending_associations().size();
    skin_test::ClickControl(window, L"reset");
    test_support::PumpUntil([&] { return tray.Of(IPC::kTrayHotkey).size() >= 2; }, 3000);
    // Backspace in the control clears the hotkey: leaving it turns it off.
    SetFocus(raw->hotkey_edit());
    ASSERT_TRUE(test_support::PumpUntil(
        [&] { return IsWindowVisible(capture) && GetFocus() == capture; }, 3000));
    const LPARAM back = static_cast<LPARAM>(MapVirtualKeyW(VK_BACK, MAPVK_VK_TO_VSC)) << 16;
    SendMessageW(capture, WM_KEYDOWN, VK_BACK, back | 1);
    SendMessageW(capture, WM_KEYUP, VK_BACK, back | 0xC0000001);
    SetFocus(window.GetHWND());
    test_support::PumpUntil([&] { return tray.Of(IPC::kTrayHotkey).size() >= 3; }, 3000);
    GetWindowTextW(raw->hotkey_edit(), text, 128);
    cleared_text = text;
    skin_test::ClickControl(window, L"cls");
  });
  dialog->DoModal(nullptr);
  test_support::PumpFor(200);

  const auto enable = tray.Of(IPC::kTrayLockscreenEnable);
  ASSERT_EQ(enable.size(), 1u);
  EXPECT_EQ(enable[0].value, 0);
  const auto time = tray.Of(IPC::kTrayLockscreenTime);
  ASSERT_EQ(time.size(), 1u);
  EXPECT_EQ(time[0].value, 5);
  EXPECT_EQ(config->lockscreen_time, 5);

  const auto types = tray.Of(IPC::kTrayAssociation);
  ASSERT_EQ(types.size(), DlgSetting2::FileTypeNames().size());
  for (size_t i = 0; i < types.size(); ++i) {
    const std::wstring& name = DlgSetting2::FileTypeNames()[i];
    EXPECT_EQ(types[i].text, std::string(name.begin(), name.end()));
    EXPECT_EQ(types[i].value, 1);
  }
  // Every box recorded its change, JPEG with its four extensions.
  EXPECT_EQ(pending, DlgSetting2::FileTypeNames().size() + 3);
  EXPECT_EQ(ReadIni(sandbox.folder.File(L"user_assoc.ini"), L"app", L"jfif"), L"1");

  EXPECT_EQ(captured, ctrl_alt_k);
  const auto hotkeys = tray.Of(IPC::kTrayHotkey);
  ASSERT_EQ(hotkeys.size(), 3u);
  EXPECT_EQ(hotkeys[0].value, ctrl_alt_k);
  EXPECT_EQ(hotkeys[1].value, 1092);
  EXPECT_EQ(hotkeys[2].value, 0);
  EXPECT_EQ(cleared_text, L"");
  EXPECT_EQ(edit_text, DlgSetting2::HotkeyText(ctrl_alt_k));
  wchar_t ctrl[64] = {};
  GetKeyNameTextW(static_cast<LONG>(MapVirtualKeyW(VK_CONTROL, MAPVK_VK_TO_VSC) << 16), ctrl, 64);
  EXPECT_EQ(edit_text.rfind(std::wstring(ctrl) + L" + ", 0), 0u) << edit_text;
  EXPECT_EQ(raw->hotkey_value(), 0) << "cleared after the reset";
  CIPCMessageMgr::GetInstance()->Close();
  EXPECT_TRUE(env.failures().empty());
}
