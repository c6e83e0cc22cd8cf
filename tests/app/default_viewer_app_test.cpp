// Making the viewer the default one for the user's account from the running
// program: the command, the start-up check and its prompt, the state message
// of other programs, and undoing it. The association module of the program
// folder works in this user's registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "basic_lib/win_util.h"
#include "framework/auto_init_com.h"
#include "integration/companion_entry_points.h"
#include "main_messages.h"
#include "resource_ids.h"
#include "support/app_driver.h"
#include "support/app_helpers.h"
#include "support/screenshots.h"
#include "support/test_paths.h"

namespace {

using test_support::DataFolder;
using test_support::DistFolder;
using test_support::LumoraProcess;
using test_support::WaitUntil;

constexpr const wchar_t* kPromptClass = L"DlgSetDefaultViewer2";
constexpr const wchar_t* kTrayKey = L"Software\\Lumora\\Tray";

// The association module, called from this test as the viewer would.
class AssociationModule {
 public:
  AssociationModule() : module_(LoadLibraryW((DistFolder() + L"\\ZidizOdera.dll").c_str())) {}
  ~AssociationModule() {
    if (module_) {
      FreeLibrary(module_);
    }
  }
  AssociationModule(const AssociationModule&) = delete;
  AssociationModule& operator=(const AssociationModule&) = delete;

  bool loaded() const { return module_ != nullptr; }
  int IsAssociationOK() const {
    auto call = win_util::GetProcAddressAs<IsAssociationOKFn>(module_, "IsAssociationOK");
    return call ? call() : -1;
  }
  void UnInstall() const {
    if (auto call = win_util::GetProcAddressAs<UnInstallFn>(module_, "UnInstall")) {
      call(static_cast<int>(0x80000001u));
    }
  }

 private:
  HMODULE module_;
};

bool KeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

DWORD TrayValue(const wchar_t* name) {
  DWORD value = 0xFFFFFFFF;
  DWORD size = sizeof(value);
  RegGetValueW(HKEY_CURRENT_USER, kTrayKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

class DefaultViewerApp : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(module_.loaded());
    test_support::EndTrayPrograms();
    // Every test starts with the viewer not being the default.
    module_.UnInstall();
    ASSERT_EQ(module_.IsAssociationOK(), 0);
  }
  void TearDown() override {
    module_.UnInstall();
    test_support::EndTrayPrograms();
    DeleteFileW(UserAssocFile().c_str());
  }

  static std::wstring UserAssocFile() { return DataFolder() + L"user_assoc.ini"; }

  int Saved(const wchar_t* key) const {
    return GetPrivateProfileIntW(L"app", key, -1, settings_.file().c_str());
  }

  void StartViewer(LumoraProcess& viewer, bool allow_prompt) {
    if (allow_prompt) {
      viewer.AllowDefaultViewerPrompt();
    }
    ASSERT_TRUE(viewer.Start(L""));
    ASSERT_NE(viewer.WaitForMainWindow(), nullptr);
  }

  // Starts a viewer that is due to ask at start-up; returns its prompt, or
  // null when it does not show.
  HWND StartAskingViewer(LumoraProcess& viewer) {
    settings_.Set(L"default_viewer_start_tip", L"1");
    settings_.Set(L"set_default_viewer", L"1");
    StartViewer(viewer, true);
    return Prompt(viewer, 10000);
  }

  // The prompt of viewer, or null when it does not show within timeout_ms.
  static HWND Prompt(const LumoraProcess& viewer, DWORD timeout_ms) {
    return test_support::WaitForWindowOfClass(viewer.pid(), kPromptClass, timeout_ms);
  }

  // Clicks a point of the prompt (the skin's layout: 440 by 200).
  static void ClickPrompt(HWND prompt, POINT point) { test_support::PostClick(prompt, point); }

  static constexpr POINT kOk = {350, 162};
  static constexpr POINT kNoTip = {45, 162};
  static constexpr POINT kClose = {418, 22};

  test_support::SettingsGuard settings_;
  test_support::RegistryValueRestorer tray_state_{kTrayKey, L"default_viewer"};
  AssociationModule module_;
};

TEST_F(DefaultViewerApp, CommandMakesTheViewerTheDefaultTheCheckAgreesAndTheStateMessageUndoesIt) {
  settings_.Set(L"set_default_viewer", L"0");
  {
    LumoraProcess viewer;
    StartViewer(viewer, false);
    // The tray program, started by the viewer, hears of the change.
    ASSERT_TRUE(WaitUntil(test_support::TrayProgramRuns, 15000));
    test_support::PumpFor(1000);
    PostMessageW(viewer.main_window(), WM_COMMAND, ID_TOGGLE_DEFAULT_VIEWER, 0);
    EXPECT_TRUE(WaitUntil([&] { return module_.IsAssociationOK() == 1; }));
    EXPECT_TRUE(KeyExists(L"Software\\Classes\\Lumora.jpg"));
    EXPECT_TRUE(WaitUntil([] { return TrayValue(L"default_viewer") == 1; }));
    viewer.Close();
  }
  EXPECT_EQ(Saved(L"set_default_viewer"), 1);
  EXPECT_EQ(Saved(L"user_set_default_viewer"), 1);

  // A later start checks: the viewer is the default, so nothing is offered
  // and the menu's state follows the check.
  settings_.Set(L"set_default_viewer", L"0");
  settings_.Set(L"default_viewer_start_tip", L"1");
  {
    LumoraProcess viewer;
    StartViewer(viewer, true);
    EXPECT_EQ(Prompt(viewer, 3000), nullptr);
    viewer.Close();
  }
  EXPECT_EQ(Saved(L"set_default_viewer"), 1);

  // Another program turns it off with the state message.
  {
    LumoraProcess viewer;
    StartViewer(viewer, false);
    ASSERT_TRUE(WaitUntil(test_support::TrayProgramRuns, 15000));
    test_support::PumpFor(1000);
    PostMessageW(viewer.main_window(), UM_DEFAULT_VIEWER_STATE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return module_.IsAssociationOK() == 0; }));
    EXPECT_FALSE(KeyExists(L"Software\\Classes\\Lumora.jpg"));
    EXPECT_TRUE(WaitUntil([] { return TrayValue(L"default_viewer") == 0; }));
    viewer.Close();
  }
  EXPECT_EQ(Saved(L"set_default_viewer"), 0);
  EXPECT_EQ(Saved(L"user_set_default_viewer"), 0);
}

TEST_F(DefaultViewerApp, AcceptedPromptMakesTheViewerTheDefaultAndForgetsTheTypeChoices) {
  ASSERT_TRUE(WritePrivateProfileStringW(L"app", L"gif", L"x", UserAssocFile().c_str()));
  {
    LumoraProcess viewer;
    HWND prompt = StartAskingViewer(viewer);
    ASSERT_NE(prompt, nullptr);
    test_support::PumpFor(500);
    {
      FCAutoInitializeCOM com;
      RECT rect = {};
      GetWindowRect(prompt, &rect);
      EXPECT_TRUE(test_support::SaveScreenPng(rect, L"default_viewer_prompt_app"));
    }
    ClickPrompt(prompt, kOk);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }));
    EXPECT_TRUE(WaitUntil([&] { return module_.IsAssociationOK() == 1; }));
    EXPECT_FALSE(win_util::PathExists(UserAssocFile()));
    viewer.Close();
  }
  EXPECT_EQ(Saved(L"set_default_viewer"), 1);
  EXPECT_EQ(Saved(L"user_set_default_viewer"), 1);
  EXPECT_EQ(Saved(L"default_viewer_start_tip"), 1);
}

TEST_F(DefaultViewerApp, PromptSkippedWhileTheMutexIsHeldClosedWithTheViewerAndNotShownAgain) {
  settings_.Set(L"default_viewer_start_tip", L"1");
  settings_.Set(L"set_default_viewer", L"1");
  {
    // Another process changes the association: the check is skipped.
    test_support::HeldMutex association(L"LmMainSetFileAssociation-9c1a7e1574578709", true);
    LumoraProcess viewer;
    StartViewer(viewer, true);
    EXPECT_EQ(Prompt(viewer, 3000), nullptr);
    viewer.Close();
  }
  EXPECT_EQ(Saved(L"set_default_viewer"), 1) << "the check did not run";

  {
    // Closing the viewer while it asks closes the prompt as declined.
    LumoraProcess viewer;
    StartViewer(viewer, true);
    ASSERT_NE(Prompt(viewer, 10000), nullptr);
    PostMessageW(viewer.main_window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewer.WaitForExit(10000));
    EXPECT_EQ(module_.IsAssociationOK(), 0);
  }
  EXPECT_EQ(Saved(L"set_default_viewer"), 0);
  EXPECT_EQ(Saved(L"default_viewer_start_tip"), 1);

  {
    LumoraProcess viewer;
    StartViewer(viewer, true);
    HWND prompt = Prompt(viewer, 10000);
    ASSERT_NE(prompt, nullptr);
    test_support::PumpFor(500);
    ClickPrompt(prompt, kNoTip);
    test_support::PumpFor(300);
    ClickPrompt(prompt, kClose);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(prompt); }));
    test_support::PumpFor(500);
    EXPECT_EQ(module_.IsAssociationOK(), 0);
    viewer.Close();
  }
  EXPECT_EQ(Saved(L"set_default_viewer"), 0);
  EXPECT_EQ(Saved(L"default_viewer_start_tip"), 0);

  LumoraProcess viewer;
  StartViewer(viewer, true);
  EXPECT_EQ(Prompt(viewer, 3000), nullptr);
  viewer.Close();
}

// Closing in full screen only leaves full screen: the prompt stays open and
// unanswered until the window really closes.
TEST_F(DefaultViewerApp, CloseInFullScreenKeepsThePromptOpen) {
  LumoraProcess viewer;
  HWND prompt = StartAskingViewer(viewer);
  ASSERT_NE(prompt, nullptr);
  HWND main = viewer.main_window();
  auto full_screen = [&] {
    RECT rect = {};
    GetWindowRect(main, &rect);
    return rect.left == 0 && rect.top == 0 && rect.right == GetSystemMetrics(SM_CXSCREEN);
  };
  ASSERT_FALSE(full_screen());
  PostMessageW(main, WM_COMMAND, ID_FULL_SCREEN, 0);
  ASSERT_TRUE(WaitUntil(full_screen));

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !full_screen(); }));
  test_support::PumpFor(500);
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(IsWindow(prompt)) << "the prompt was closed with full screen";
  EXPECT_EQ(Saved(L"set_default_viewer"), 1) << "the prompt was declined";

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(viewer.WaitForExit(10000));
  EXPECT_EQ(Saved(L"set_default_viewer"), 0);
}

}  // namespace
