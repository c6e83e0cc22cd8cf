// The settings dialog and the feedback form in the real program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/auto_init_com.h"
#include "resource_ids.h"
#include "support/app_driver.h"
#include "support/screenshots.h"
#include "support/test_paths.h"

namespace {

using test_support::LumoraProcess;
using test_support::PostClick;
using test_support::WaitForWindowOfClass;
using test_support::WaitUntil;

// Where the settings skin puts the controls used here (client coordinates).
constexpr POINT kSettingsClose = {617, 21};
constexpr POINT kExitCompletelyBox = {173, 203};
constexpr POINT kConfirmDeleteBox = {173, 139};
// The feedback skin: "commit" and "cls".
constexpr POINT kFeedbackCommit = {370, 382};
constexpr POINT kFeedbackClose = {438, 22};

std::wstring SettingsFile() { return test_support::DataFolder() + L"config.ini"; }

std::wstring ReadSetting(const wchar_t* key) {
  wchar_t value[64] = {};
  GetPrivateProfileStringW(L"app", key, L"<none>", value, 64, SettingsFile().c_str());
  return value;
}

bool IsOrange(COLORREF c) { return GetRValue(c) > 170 && GetGValue(c) > 110 && GetBValue(c) < 90; }

// Whether the check box at point of hwnd's client area shows its tick.
bool Ticked(HWND hwnd, POINT point) {
  ClientToScreen(hwnd, &point);
  int orange = 0;
  for (int y = -6; y <= 6; ++y) {
    for (int x = -6; x <= 6; ++x) {
      orange += IsOrange(test_support::ScreenPixel(point.x + x, point.y + y)) ? 1 : 0;
    }
  }
  return orange > 20;
}

RECT ShotOf(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  InflateRect(&rect, 12, 12);
  return rect;
}

struct EditFinder {
  std::vector<HWND> edits;
  static BOOL CALLBACK Add(HWND child, LPARAM param) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (_wcsicmp(name, L"Edit") == 0 && IsWindowVisible(child)) {
      reinterpret_cast<EditFinder*>(param)->edits.push_back(child);
    }
    return TRUE;
  }
};

// The visible native edits of a dialog of another process.
std::vector<HWND> VisibleEdits(HWND dialog) {
  EditFinder finder;
  EnumChildWindows(dialog, EditFinder::Add, reinterpret_cast<LPARAM>(&finder));
  return finder.edits;
}

LONG_PTR StyleOf(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_STYLE); }

// Replaces an edit's text from outside as typing does (a multi-line edit
// reports no change for WM_SETTEXT).
void SetText(HWND edit, const wchar_t* text) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(edit, EM_SETSEL, 0, -1, SMTO_BLOCK, 5000, &ignored);
  SendMessageTimeoutW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                      &ignored);
}

class DialogsApp : public ::testing::Test {
 protected:
  void SetUp() override {
    // A known start: nothing ticked that the test ticks, no start-up prompt.
    const std::string settings =
        "[app]\r\ncompletely_exit=0\r\nshow_delete_confirm=1\r\nsave_jpeg_quality=80\r\n"
        "default_viewer_start_tip=0\r\nset_default_viewer=0\r\nmouse_wheel_action=0\r\n"
        "show_wheel_favorite=0\r\n" +
        extra_settings_;
    CreateDirectoryW(test_support::DataFolder().c_str(), nullptr);
    ASSERT_TRUE(test_support::WriteFileBytes(SettingsFile(), settings));
  }
  void TearDown() override { app_.Close(); }

  void StartViewer(const std::wstring& arguments) {
    ASSERT_TRUE(app_.Start(arguments));
    main_ = app_.WaitForMainWindow();
    ASSERT_NE(main_, nullptr);
    SetWindowPos(main_, nullptr, 60, 40, 1000, 680, SWP_NOZORDER);
  }

  FCAutoInitializeCOM com_;
  test_support::FileRestorer settings_backup_{SettingsFile()};
  test_support::FileRestorer assoc_backup_{test_support::DataFolder() + L"user_assoc.ini"};
  std::string extra_settings_;
  LumoraProcess app_;
  HWND main_ = nullptr;
};

// "--setting" opens the dialog; a choice that is saved at once is in the
// file while the dialog is open, the others once the viewer has closed, and
// command 21800 opens the dialog again with the stored choices.
TEST_F(DialogsApp, SettingsChangedInTheDialogReachConfigIni) {
  StartViewer(L"--setting");
  HWND dialog = WaitForWindowOfClass(app_.pid(), L"DlgSetting2");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main_);
  test_support::PumpFor(800);
  EXPECT_TRUE(Ticked(dialog, kConfirmDeleteBox));
  EXPECT_FALSE(Ticked(dialog, kExitCompletelyBox));
  test_support::SaveScreenPng(ShotOf(dialog), L"app_settings_open");

  PostClick(dialog, kExitCompletelyBox);
  EXPECT_TRUE(WaitUntil([] { return ReadSetting(L"completely_exit") == L"1"; }));
  PostClick(dialog, kConfirmDeleteBox);
  std::vector<HWND> edits = VisibleEdits(dialog);
  ASSERT_EQ(edits.size(), 1u);  // the JPEG quality on the first page
  SetText(edits[0], L"55");
  test_support::PumpFor(400);
  EXPECT_TRUE(Ticked(dialog, kExitCompletelyBox));
  EXPECT_FALSE(Ticked(dialog, kConfirmDeleteBox));
  test_support::SaveScreenPng(ShotOf(dialog), L"app_settings_changed");
  // Kept in memory until the settings are next saved.
  EXPECT_EQ(ReadSetting(L"show_delete_confirm"), L"1");

  PostClick(dialog, kSettingsClose);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));

  // Command 21800 (F5) shows the stored choices.
  PostMessageW(main_, WM_COMMAND, ID_SETTINGS, 0);
  dialog = WaitForWindowOfClass(app_.pid(), L"DlgSetting2");
  ASSERT_NE(dialog, nullptr);
  test_support::PumpFor(800);
  EXPECT_TRUE(Ticked(dialog, kExitCompletelyBox));
  EXPECT_FALSE(Ticked(dialog, kConfirmDeleteBox));
  // A second request while it is open does nothing.
  PostMessageW(main_, WM_COMMAND, ID_SETTINGS, 0);
  test_support::PumpFor(500);
  EXPECT_TRUE(IsWindow(dialog));

  // Closing the viewer closes the dialog and saves the rest.
  PostMessageW(main_, WM_CLOSE, 0, 0);
  DWORD exit_code = 1;
  ASSERT_TRUE(app_.WaitForExit(15000, &exit_code));
  EXPECT_EQ(ReadSetting(L"completely_exit"), L"1");
  EXPECT_EQ(ReadSetting(L"show_delete_confirm"), L"0");
  EXPECT_EQ(ReadSetting(L"save_jpeg_quality"), L"55");
}

class FeedbackApp : public DialogsApp {
 protected:
  void SetUp() override {
    wchar_t file[MAX_PATH] = {};
    GetEnvironmentVariableW(L"LUMORA_HTTP_PORT_FILE", file, MAX_PATH);
    const std::string port = test_support::ReadFileBytes(file);
    ASSERT_FALSE(port.empty()) << "the test server is not running";
    extra_settings_ = "feedback_service=http://127.0.0.1:" + port + "/good\r\n";
    server_ = L"http://127.0.0.1:" + std::wstring(port.begin(), port.end());
    DialogsApp::SetUp();
  }

  // The last report the stand-in service accepted, as its JSON text.
  std::string ReceivedReport() {
    const std::wstring file = scratch_.File(L"received.json");
    const std::wstring url = server_ + L"/received/good";
    // The viewer's own HTTP module would do; the shell's download keeps
    // this test apart from it.
    using DownloadFn = HRESULT(WINAPI*)(void*, const wchar_t*, const wchar_t*, DWORD, void*);
    HMODULE urlmon = LoadLibraryW(L"urlmon.dll");
    auto download = urlmon ? reinterpret_cast<DownloadFn>(reinterpret_cast<void (*)()>(
                                 GetProcAddress(urlmon, "URLDownloadToFileW")))
                           : nullptr;
    std::string text;
    if (download && SUCCEEDED(download(nullptr, url.c_str(), file.c_str(), 0, nullptr))) {
      text = test_support::ReadFileBytes(file);
    }
    if (urlmon) {
      FreeLibrary(urlmon);
    }
    return text;
  }

  test_support::ScratchFolder scratch_{L"feedback-app"};
  std::wstring server_;
};

// Command 21804 shows the form; "cls" deletes it; filled in and sent, it goes
// to the configured address and closes when accepted; the viewer's quit
// closes an open form.
TEST_F(FeedbackApp, TheFormOpensSendsToTheConfiguredAddressAndCloses) {
  StartViewer(L"");
  PostMessageW(main_, WM_COMMAND, ID_FEEDBACK, 0);
  HWND form = WaitForWindowOfClass(app_.pid(), L"CFeedbackDlg");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(GetWindow(form, GW_OWNER), main_);
  test_support::PumpFor(700);
  test_support::SaveScreenPng(ShotOf(form), L"app_feedback_open");
  PostClick(form, kFeedbackClose);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main_) != FALSE; }));

  PostMessageW(main_, WM_COMMAND, ID_FEEDBACK, 0);
  form = WaitForWindowOfClass(app_.pid(), L"CFeedbackDlg");
  ASSERT_NE(form, nullptr);
  test_support::PumpFor(500);
  const std::vector<HWND> edits = VisibleEdits(form);
  ASSERT_EQ(edits.size(), 3u);
  for (HWND edit : edits) {
    if (StyleOf(edit) & ES_MULTILINE) {
      SetText(edit, L"Sent from the real viewer.");
    } else if (StyleOf(edit) & ES_NUMBER) {
      SetText(edit, L"15012345678");
    } else {
      SetText(edit, L"tester@example.com");
    }
  }
  test_support::PumpFor(300);
  test_support::SaveScreenPng(ShotOf(form), L"app_feedback_filled");
  PostClick(form, kFeedbackCommit);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(form); }, 15000));
  const std::string report = ReceivedReport();
  // The fields, hex-encoded by the service.
  EXPECT_NE(report.find("\"phone\", \"3135303132333435363738\""), std::string::npos) << report;
  EXPECT_NE(report.find("\"email\", \"746573746572406578616d706c652e636f6d\""), std::string::npos)
      << report;
  EXPECT_NE(report.find("\"type\", \"3235\""), std::string::npos) << report;
  EXPECT_EQ(report.find("\"error\""), std::string::npos) << report;

  // Quitting with the form open closes it and ends the viewer.
  PostMessageW(main_, WM_COMMAND, ID_FEEDBACK, 0);
  form = WaitForWindowOfClass(app_.pid(), L"CFeedbackDlg");
  ASSERT_NE(form, nullptr);
  PostMessageW(main_, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app_.WaitForExit(15000));
}

}  // namespace
