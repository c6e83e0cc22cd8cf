#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "app/app_names.h"
#include "app/crash_dumps.h"
#include "app/crash_handler.h"
#include "app/hand_over.h"
#include "app/named_mutex.h"
#include "app/orvane_app.h"
#include "app/process_killer.h"
#include "app/start_decision.h"
#include "basic_lib/win32_system.h"
#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "integration/companion_entry_points.h"
#include "support/app_driver.h"
#include "support/test_paths.h"
#include "version.h"

namespace {

using test_support::ScratchFolder;

std::wstring UniqueName(const wchar_t* stem) {
  return std::wstring(stem) + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(GetTickCount());
}

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST(AppMutexes, ExistWhileHeldByAnyoneAndNotAfterwards) {
  const std::wstring name = UniqueName(L"LumoraTestMutex");
  EXPECT_FALSE(MutexExists(name.c_str()));
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  ASSERT_NE(mutex, nullptr);
  EXPECT_TRUE(MutexExists(name.c_str()));
  // Another kind of object under the name is no mutex that can be opened.
  CloseHandle(mutex);
  EXPECT_FALSE(MutexExists(name.c_str()));
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, name.c_str());
  EXPECT_FALSE(MutexExists(name.c_str()));
  CloseHandle(event);
}

TEST(AppUpdateState, PendingOnlyForTheExactStateWithoutTheUpdaterMutex) {
  ScratchFolder folder(L"update-state");
  const std::wstring file = folder.File(L"config.ini");
  EXPECT_FALSE(COrvaneApp::IsUpdatePendingIn(file));

  const struct {
    const char* contents;
    bool pending;
  } cases[] = {
      {"[update]\r\nstate=glimtUpdate\r\n", true},   {"[update]\r\nstate=GlimtUpdate\r\n", false},
      {"[update]\r\nstate=glimtUpdate2\r\n", false}, {"[update]\r\nstate=\r\n", false},
      {"[other]\r\nstate=glimtUpdate\r\n", false},   {"", false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(test_support::WriteFileBytes(file, c.contents));
    EXPECT_EQ(COrvaneApp::IsUpdatePendingIn(file), c.pending) << c.contents;
  }

  ASSERT_TRUE(test_support::WriteFileBytes(file, "[update]\r\nstate=glimtUpdate\r\n"));
  HANDLE updater = CreateMutexW(nullptr, FALSE, COrvaneApp::kUpdaterMutex);
  ASSERT_NE(updater, nullptr);
  EXPECT_FALSE(COrvaneApp::IsUpdatePendingIn(file));
  CloseHandle(updater);
  EXPECT_TRUE(COrvaneApp::IsUpdatePendingIn(file));
}

TEST(AppCrashDumps, PruningDeletesTheSmallestNamesUntilTheLimitRemains) {
  ScratchFolder folder(L"crash-dumps");
  const std::wstring crash = folder.path() + L"\\";
  std::vector<std::wstring> dumps;
  for (int day = 12; day >= 1; --day) {
    wchar_t name[64];
    swprintf(name, 64, L"lumoramain_1.0.0.1_2024-03-%02d_10-00-00.dmp", day);
    dumps.insert(dumps.begin(), name);
    ASSERT_TRUE(test_support::WriteFileBytes(crash + name, "dump"));
  }
  ASSERT_TRUE(test_support::WriteFileBytes(crash + L"notes.txt", "kept"));
  ASSERT_TRUE(CreateDirectoryW((crash + L"0000.dmp").c_str(), nullptr));

  PruneCrashDumpsIn(crash, 12);
  for (const std::wstring& dump : dumps) {
    EXPECT_TRUE(win_util::PathExists(crash + dump)) << dump;
  }

  PruneCrashDumpsIn(crash, kCrashDumpsKept);
  EXPECT_FALSE(win_util::PathExists(crash + dumps[0]));
  EXPECT_FALSE(win_util::PathExists(crash + dumps[1]));
  for (size_t i = 2; i < dumps.size(); ++i) {
    EXPECT_TRUE(win_util::PathExists(crash + dumps[i])) << dumps[i];
  }
  EXPECT_TRUE(win_util::PathExists(crash + L"notes.txt"));
  EXPECT_TRUE(win_util::PathExists(crash + L"0000.dmp"));
}

TEST(AppCrashHandler, UploaderIsTheFirstReadableCandidateElseTheLastOne) {
  ScratchFolder folder(L"uploader");
  const std::wstring grand = folder.path() + L"\\";
  const std::wstring parent = grand + L"parent\\";
  const std::wstring program = parent + L"program\\";
  for (const std::wstring& f : {parent, parent + L"Utils\\", program, program + L"Utils\\"}) {
    ASSERT_TRUE(CreateDirectoryW(f.c_str(), nullptr));
  }
  EXPECT_EQ(FindCrashUploader(program), grand + L"DedaDuze.exe");

  const std::wstring in_order[] = {grand + L"DedaDuze.exe", parent + L"Utils\\DedaDuze.exe",
                                   parent + L"DedaDuze.exe", program + L"Utils\\DedaDuze.exe",
                                   program + L"DedaDuze.exe"};
  for (const std::wstring& candidate : in_order) {
    ASSERT_TRUE(test_support::WriteFileBytes(candidate, "MZ"));
    EXPECT_EQ(FindCrashUploader(program), candidate);
  }
}

TEST(AppCrashHandler, VersionTextComesFromTheFixedVersionResource) {
  const std::wstring viewer = test_support::DistFolder() + L"\\Lumora.exe";
  EXPECT_EQ(win32_system::GetFileVersionText(viewer, kMaxVersionResourceBytes),
            LUMORA_VERSION_WTEXT);
  EXPECT_EQ(win32_system::GetFileVersionText(viewer, 16), L"");
  EXPECT_EQ(win32_system::GetFileVersionText(ThisProgram(), kMaxVersionResourceBytes), L"");
  EXPECT_EQ(win32_system::GetFileVersionText(L"Z:\\no\\such\\file.exe"), L"");
}

LONG WINAPI OtherFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

TEST(AppCrashHandler, FilterSetterIsPatchedToDoNothing) {
  void* setter = reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetUnhandledExceptionFilter"));
  ASSERT_NE(setter, nullptr);
  // Not patched yet: the setter hands back the previous filter.
  LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(OtherFilter);
  EXPECT_EQ(SetUnhandledExceptionFilter(previous), OtherFilter);

  InstallCrashHandler();
#if defined(_WIN64)
  const unsigned char patch[] = {0x33, 0xC0, 0xC3};
#else
  const unsigned char patch[] = {0x33, 0xC0, 0xC2, 0x04, 0x00};
#endif
  EXPECT_EQ(std::memcmp(setter, patch, sizeof(patch)), 0);
  EXPECT_EQ(SetUnhandledExceptionFilter(OtherFilter), nullptr);
  EXPECT_EQ(SetUnhandledExceptionFilter(nullptr), nullptr);
}

// A copy of this test program that runs no test, over and over, until it is
// ended from outside.
class BusyCopy {
 public:
  explicit BusyCopy(const std::wstring& path) {
    CopyFileW(ThisProgram().c_str(), path.c_str(), FALSE);
    std::wstring command = L"\"" + path + L"\" --gtest_filter=NoSuchTest --gtest_repeat=-1";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    started_ = CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                              nullptr, nullptr, &startup, &info_) != FALSE;
  }
  ~BusyCopy() {
    if (started_) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }
  bool started() const { return started_; }
  // The exit code once it ended within timeout_ms, else STILL_ACTIVE.
  DWORD EndedWith(DWORD timeout_ms) const {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info_.hProcess, timeout_ms) == WAIT_OBJECT_0) {
      GetExitCodeProcess(info_.hProcess, &code);
    }
    return code;
  }

 private:
  PROCESS_INFORMATION info_ = {};
  bool started_ = false;
};

TEST(AppProcesses, KillByPathEndsExactlyThePathsProcessesIgnoringCase) {
  ScratchFolder folder(L"kill-by-path");
  const std::wstring victim_path = folder.File(L"Victim.exe");
  const std::wstring bystander_path = folder.File(L"Bystander.exe");
  BusyCopy victim(victim_path);
  BusyCopy bystander(bystander_path);
  ASSERT_TRUE(victim.started());
  ASSERT_TRUE(bystander.started());
  ASSERT_EQ(victim.EndedWith(300), static_cast<DWORD>(STILL_ACTIVE));

  KillProcessesByPath(L"");
  KillProcessesByPath(std::wstring(300, L'a'));
  std::wstring lower = victim_path;
  for (wchar_t& c : lower) {
    c = static_cast<wchar_t>(towlower(c));
  }
  KillProcessesByPath(lower);
  EXPECT_EQ(victim.EndedWith(5000), 0u);
  EXPECT_EQ(bystander.EndedWith(300), static_cast<DWORD>(STILL_ACTIVE));
}

// Records the hand-over records it receives and answers with a set value.
class RecordWindow {
 public:
  explicit RecordWindow(const wchar_t* name) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"LumoraTestRecordWindow";
    RegisterClassW(&wc);
    hwnd = CreateWindowExW(0, wc.lpszClassName, name, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~RecordWindow() { DestroyWindow(hwnd); }

  HWND hwnd = nullptr;
  LRESULT answer = 1;
  WPARAM wparam = 99;
  ULONG_PTR tag = 0;
  std::string bytes;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<RecordWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_COPYDATA) {
      const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
      self->wparam = wparam;
      self->tag = record->dwData;
      self->bytes.assign(static_cast<const char*>(record->lpData), record->cbData);
      return self->answer;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
};

TEST(HandOverRecord, CarriesTheTaggedTextWithItsTerminatingZero) {
  const std::wstring name = UniqueName(L"LumoraTestReceiver");
  RecordWindow receiver(name.c_str());
  ASSERT_EQ(FindHandOverReceiver(name.c_str()), receiver.hwnd);
  EXPECT_EQ(FindHandOverReceiver(UniqueName(L"NoSuchReceiver").c_str()), nullptr);

  receiver.answer = 5;
  EXPECT_EQ(SendHandOverRecord(receiver.hwnd, L"C:\\a b\\p.jpg"), 5);
  EXPECT_EQ(receiver.wparam, 0u);
  EXPECT_EQ(receiver.tag, kHandOverTag);
  const std::wstring expected = L"C:\\a b\\p.jpg";
  ASSERT_EQ(receiver.bytes.size(), (expected.size() + 1) * 2);
  EXPECT_EQ(std::memcmp(receiver.bytes.data(), expected.c_str(), receiver.bytes.size()), 0);

  receiver.answer = 0;
  EXPECT_EQ(SendHandOverRecord(receiver.hwnd, L""), 0);
  EXPECT_EQ(receiver.bytes, std::string(2, '\0'));
  EXPECT_EQ(SendHandOverRecord(nullptr, L"x"), 0);
}

TEST(AppReceivers, TheInstanceWindowFollowsTheSettingAndTheAlwaysWindowStays) {
  const auto receiver = [](const wchar_t* name) {
    return FindWindowExW(HWND_MESSAGE, nullptr, nullptr, name);
  };
  ASSERT_EQ(receiver(kAlwaysWindowName), nullptr) << "a viewer runs";
  CAppConfig* config = CAppConfig::GetInstance();
  const int32_t saved = config->only_one_instance;
  {
    COrvaneApp app;
    config->only_one_instance = 1;
    app.RefreshReceivers();
    EXPECT_TRUE(app.HasInstanceReceiver());
    HWND instance = receiver(kInstanceWindowName);
    HWND always = receiver(kAlwaysWindowName);
    EXPECT_NE(instance, nullptr);
    EXPECT_NE(always, nullptr);
    app.RefreshReceivers();
    EXPECT_EQ(receiver(kInstanceWindowName), instance);

    config->only_one_instance = 0;
    app.RefreshReceivers();
    EXPECT_FALSE(app.HasInstanceReceiver());
    EXPECT_EQ(receiver(kInstanceWindowName), nullptr);
    EXPECT_EQ(receiver(kAlwaysWindowName), always);
  }
  EXPECT_EQ(receiver(kAlwaysWindowName), nullptr);
  config->only_one_instance = saved;
}

TEST(StartDecision, OwnMainWindowsAreNotOthers) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kMainFrameClassName;
  RegisterClassW(&wc);
  // A real viewer in another process is found; this one's own window is not.
  test_support::LumoraProcess viewer;
  ASSERT_TRUE(viewer.Start(L""));
  ASSERT_NE(viewer.WaitForMainWindow(), nullptr);
  HWND own = CreateWindowExW(0, kMainFrameClassName, kIdleMainWindowText, WS_OVERLAPPED, 0, 0, 10,
                             10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(own, nullptr);
  const std::vector<HWND> found = FindMainWindows();
  EXPECT_EQ(std::count(found.begin(), found.end(), viewer.main_window()), 1);
  EXPECT_EQ(std::count(found.begin(), found.end(), own), 0);
  const std::vector<HWND> first = FindMainWindows(true);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first.front(), found.front());
  viewer.Close();
  DestroyWindow(own);
}

TEST(StartDecision, OnlyAFolderInsideTheApplicationDataFolderIsDeleted) {
  wchar_t app_data[MAX_PATH] = {};
  ASSERT_HRESULT_SUCCEEDED(
      SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data));
  const std::wstring roaming = app_data;
  ScratchFolder work(L"uninstall");
  ScratchFolder outside(L"uninstall-outside");
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(work.path().c_str()));

  // A data folder that could not be resolved comes out relative; the folder
  // of that name under the current one is not the viewer's.
  ASSERT_TRUE(CreateDirectoryW(work.File(L"Lumora").c_str(), nullptr));
  ASSERT_TRUE(test_support::WriteFileBytes(work.File(L"Lumora\\keep.txt"), "x"));
  EXPECT_FALSE(DeleteDataFolder(L"Lumora\\"));
  ASSERT_TRUE(win_util::PathExists(work.File(L"Lumora\\keep.txt")));
  SetCurrentDirectoryW(previous);

  const struct {
    std::wstring folder;
    bool deletable;
  } cases[] = {
      {L"Lumora\\", false},
      {L".\\Lumora", false},
      {L"", false},
      {outside.path() + L"\\", false},
      {roaming, false},
      {roaming + L"\\", false},
      {roaming + L"\\.\\", false},
      {roaming + L"\\Lumora\\..", false},
      {roaming + L"\\..\\Lumora", false},
      {roaming + L"Lumora", false},
      {roaming + L"\\Lumora\\", true},
      {roaming + L"\\Lumora", true},
      {roaming + L"\\Other\\Lumora\\", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "folder " << std::string(c.folder.begin(), c.folder.end()));
    EXPECT_EQ(c.deletable, IsDeletableDataFolder(c.folder));
  }

  const std::wstring own = roaming + L"\\" + UniqueName(L"LumoraDataTest");
  ASSERT_TRUE(CreateDirectoryW(own.c_str(), nullptr));
  ASSERT_TRUE(test_support::WriteFileBytes(own + L"\\config.ini", "x"));
  EXPECT_TRUE(DeleteDataFolder(own + L"\\"));
  EXPECT_FALSE(win_util::PathExists(own));
}

TEST(StartDecision, MissingAssociationModuleSkipsTheCall) {
  // This test program's folder has no association module.
  const CAssocFunction function = LoadAssocFunction("SetDefaultImageViewer");
  EXPECT_EQ(function.get<SetDefaultImageViewerFn>(), nullptr);
}

}  // namespace
