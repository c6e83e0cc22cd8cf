#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "app/app_names.h"
#include "app/ipc/channel.h"
#include "app/ipc/channel_names.h"
#include "config/settings_file_lock.h"
#include "shared/companion_paths.h"
#include "shared/reg_key.h"
#include "basic_lib/win_util.h"
#include "support/app_driver.h"
#include "support/test_paths.h"
#include "tray/tray_mutexes.h"
#include "tray/tray_state.h"
#include "tray/tray_window.h"

namespace {

const std::wstring kServerWindow = IPC::ChannelWindowName(IPC::kTrayChannelName, false);

template <class Done>
bool PumpUntil(Done done, DWORD timeout_ms = 10000) {
  const DWORD end = GetTickCount() + timeout_ms;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) {
      return false;
    }
    test_support::PumpFor(20);
  }
  return true;
}

bool MutexExists(const wchar_t* name) {
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
  if (mutex) {
    CloseHandle(mutex);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

// One run of the real LumoraTray.exe of the program folder.
class TrayProcess {
 public:
  ~TrayProcess() {
    if (info_.hProcess) {
      if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
      }
      CloseHandle(info_.hProcess);
      CloseHandle(info_.hThread);
    }
  }

  bool Start(const std::wstring& arguments) {
    const std::wstring exe = test_support::DistFolder() + L"\\LumoraTray.exe";
    std::wstring command = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_) != FALSE;
  }

  // The tray's channel window, once the program serves the channel.
  HWND WaitForServer() {
    HWND server = nullptr;
    PumpUntil([&] { return (server = IPC::FindChannelWindow(kServerWindow)) != nullptr; });
    return server;
  }

  bool WaitForExit(DWORD timeout_ms, DWORD* code) {
    if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) {
      return false;
    }
    GetExitCodeProcess(info_.hProcess, code);
    return true;
  }

  bool IsRunning() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  HWND TrayWindow() const {
    struct Search {
      DWORD pid;
      HWND found;
    } search = {info_.dwProcessId, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
          auto* s = reinterpret_cast<Search*>(param);
          wchar_t name[64] = {};
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          GetClassNameW(hwnd, name, 64);
          if (pid == s->pid && std::wstring(name) == CTrayWindow::kClassName) {
            s->found = hwnd;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

 private:
  PROCESS_INFORMATION info_ = {};
};

// What the tray program writes outside its own key is put back afterwards.
class TrayStateGuard {
 public:
  TrayStateGuard() : settings_(companion::DataFolder() + L"config.ini") {
    had_settings_ = win_util::PathExists(settings_);
    settings_bytes_ = test_support::ReadFileBytes(settings_);
    companion::DeleteKeyTree(HKEY_CURRENT_USER, CTrayState::kKeyPath);
  }
  ~TrayStateGuard() {
    companion::DeleteKeyTree(HKEY_CURRENT_USER, CTrayState::kKeyPath);
    if (had_settings_) {
      test_support::WriteFileBytes(settings_, settings_bytes_);
    } else {
      DeleteFileW(settings_.c_str());
    }
  }
  const std::wstring& settings() const { return settings_; }

 private:
  std::wstring settings_;
  bool had_settings_ = false;
  std::string settings_bytes_;
};

long Stored(const std::wstring& name, const std::wstring& subkey = L"") {
  companion::CRegKey key;
  DWORD value = 0;
  const std::wstring path =
      subkey.empty() ? CTrayState::kKeyPath : std::wstring(CTrayState::kKeyPath) + L"\\" + subkey;
  if (!key.Open(HKEY_CURRENT_USER, path) || !key.GetDword(name, &value)) {
    return -1;
  }
  return static_cast<long>(value);
}

IPC::Message ViewerMessage(uint32_t type) {
  return IPC::Message(IPC::kTrayRoutingId, type, IPC::kViewerMessagePriority);
}

IPC::Message IntMessage(uint32_t type, int32_t value) {
  IPC::Message message = ViewerMessage(type);
  message.WriteInt(value);
  return message;
}

IPC::Message AssociationMessage(const std::string& extension, int32_t state) {
  IPC::Message message = ViewerMessage(IPC::kTrayAssociation);
  message.WriteString(extension);
  message.WriteInt(state);
  return message;
}

class MainWindowListener : public IChannelListener {
 public:
  void OnMessageReceived(const IPC::Message& message) override { types.push_back(message.type()); }
  int32_t GetRoutingId() override { return IPC::kMainWindowRoutingId; }
  std::vector<uint32_t> types;
};

TEST(TrayProgram, HoldsItsMutexesAndRecordsEveryMessageAViewerSends) {
  TrayStateGuard guard;
  TrayProcess tray;
  ASSERT_TRUE(tray.Start(L"--from=main"));
  ASSERT_NE(tray.WaitForServer(), nullptr);
  EXPECT_TRUE(MutexExists(CTrayMutexes::kGlobalName));
  EXPECT_TRUE(MutexExists(CTrayMutexes::kLocalName));

  // A second tray program sees the first and ends at once.
  TrayProcess second;
  ASSERT_TRUE(second.Start(L"--from=main"));
  DWORD code = 1;
  ASSERT_TRUE(second.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(tray.IsRunning());

  CChannel viewer;
  ASSERT_TRUE(viewer.Connect(IPC::kTrayChannelName, true));
  ASSERT_TRUE(viewer.Send(IntMessage(IPC::kTrayQuickIndex, 0), false, 0));
  ASSERT_TRUE(viewer.Send(IntMessage(IPC::kTrayHotkey, 1092), false, 0));
  ASSERT_TRUE(viewer.Send(AssociationMessage("png", 1), false, 0));
  ASSERT_TRUE(viewer.Send(AssociationMessage("open", 1), false, 0));
  ASSERT_TRUE(viewer.Send(IntMessage(IPC::kTrayLockscreenEnable, 1), false, 0));
  ASSERT_TRUE(viewer.Send(IntMessage(IPC::kTrayLockscreenTime, 45), false, 1));
  ASSERT_TRUE(PumpUntil([] { return Stored(L"lockscreen_time") == 45; }));
  EXPECT_EQ(Stored(L"quick_index"), 0);
  EXPECT_EQ(Stored(L"screenshot_hotkey"), 1092);
  EXPECT_EQ(Stored(L"png", L"Association"), 1);
  EXPECT_EQ(Stored(L"default_viewer"), 1);
  EXPECT_EQ(Stored(L"lockscreen_enable"), 1);
  EXPECT_EQ(GetPrivateProfileIntW(L"Default", L"sniptool_hotkey", -1, guard.settings().c_str()),
            1092);

  // The last viewer closing with complete exit on ends the tray program.
  ASSERT_TRUE(viewer.Send(ViewerMessage(IPC::kTrayQuit), false, 0));
  ASSERT_TRUE(tray.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(MutexExists(CTrayMutexes::kGlobalName));
  EXPECT_FALSE(MutexExists(CTrayMutexes::kLocalName));
  // Without a tray program a viewer's send reports false.
  EXPECT_FALSE(viewer.Send(IntMessage(IPC::kTrayQuickIndex, 1), false, 0));
}

TEST(TrayProgram, TheViewerAndTheTrayProgramTakeTurnsWritingTheSettingsFile) {
  TrayStateGuard guard;
  TrayProcess tray;
  ASSERT_TRUE(tray.Start(L"--from=main"));
  ASSERT_NE(tray.WaitForServer(), nullptr);
  test_support::LumoraProcess viewer;
  ASSERT_TRUE(viewer.Start(L""));
  ASSERT_NE(viewer.WaitForMainWindow(), nullptr);
  test_support::PumpFor(500);

  // Neither writer may touch the file while another process holds the lock.
  const std::string before = "[app]\r\nmax_zoom_ratio=6\r\n";
  ASSERT_TRUE(test_support::WriteFileBytes(guard.settings(), before));
  HANDLE lock = CreateMutexW(nullptr, TRUE, CSettingsFileLock::kName);
  ASSERT_NE(lock, nullptr);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CChannel channel;
  ASSERT_TRUE(channel.Connect(IPC::kTrayChannelName, true));
  ASSERT_TRUE(channel.Send(IntMessage(IPC::kTrayHotkey, 1092), false, 0));
  PostMessageW(viewer.main_window(), WM_CLOSE, 0, 0);  // closing saves the settings
  test_support::PumpFor(1500);
  EXPECT_EQ(test_support::ReadFileBytes(guard.settings()), before);
  EXPECT_FALSE(viewer.WaitForExit(0)) << "the viewer saved without the lock";

  ReleaseMutex(lock);
  CloseHandle(lock);
  EXPECT_TRUE(viewer.WaitForExit(15000));
  ASSERT_TRUE(PumpUntil([&] {
    return GetPrivateProfileIntW(L"Default", L"sniptool_hotkey", -1, guard.settings().c_str()) ==
           1092;
  })) << "the tray program's write was lost";
  EXPECT_EQ(GetPrivateProfileIntW(L"app", L"preload_thread", -1, guard.settings().c_str()), 3)
      << "the viewer's save was lost";
  ASSERT_TRUE(channel.Send(ViewerMessage(IPC::kTrayQuit), false, 0));
  DWORD code = 1;
  EXPECT_TRUE(tray.WaitForExit(10000, &code));
}

TEST(TrayProgram, MalformedChannelBytesAreRejectedWithoutACrash) {
  TrayStateGuard guard;
  TrayProcess tray;
  ASSERT_TRUE(tray.Start(L"--from=main"));
  HWND server = tray.WaitForServer();
  ASSERT_NE(server, nullptr);

  IPC::Message huge_string = ViewerMessage(IPC::kTrayAssociation);
  huge_string.WriteInt(0x7FFFFFF0);
  huge_string.WriteInt(1);
  const std::string huge_string_bytes(static_cast<const char*>(huge_string.data()),
                                      huge_string.size());
  const uint32_t huge_payload[] = {0xFFFFFFF0u, 1, IPC::kTrayHotkey, 0, 1092};
  const uint32_t odd_header[] = {6, 1, IPC::kTrayHotkey, 0, 1092};
  const uint32_t short_header[] = {4, 1092};
  const uint32_t empty_type3[] = {0, 1, IPC::kTrayHotkey, 0};
  struct Record {
    const void* data;
    DWORD size;
  } records[] = {
      {"\x01", 1},
      {huge_payload, sizeof(huge_payload)},
      {odd_header, sizeof(odd_header)},
      {short_header, sizeof(short_header)},
      {empty_type3, sizeof(empty_type3)},
      {huge_string_bytes.data(), static_cast<DWORD>(huge_string_bytes.size())},
      {huge_payload, 0},
  };
  for (ULONG_PTR tag : {IPC::kDeliverAfterReturn, IPC::kDeliverBeforeReturn, ULONG_PTR(7)}) {
    for (const Record& r : records) {
      COPYDATASTRUCT record = {tag, r.size, const_cast<void*>(r.data)};
      DWORD_PTR answer = 0;
      SendMessageTimeoutW(server, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), SMTO_NORMAL,
                          5000, &answer);
    }
  }
  // Other programs' private messages do not reach inside the channel window.
  PostMessageW(server, IPC::kMsgDeliverPosted, 0, 0x1000);
  PostMessageW(server, IPC::kMsgDestroyChannel, 0, 0);
  test_support::PumpFor(300);
  ASSERT_TRUE(tray.IsRunning());
  EXPECT_EQ(Stored(L"screenshot_hotkey"), -1);

  CChannel viewer;
  ASSERT_TRUE(viewer.Connect(IPC::kTrayChannelName, true));
  ASSERT_TRUE(viewer.Send(IntMessage(IPC::kTrayLockscreenTime, 15), false, 0));
  ASSERT_TRUE(PumpUntil([] { return Stored(L"lockscreen_time") == 15; }));
  EXPECT_EQ(Stored(L"screenshot_hotkey"), -1);
  ASSERT_TRUE(viewer.Send(ViewerMessage(IPC::kTrayQuit), false, 0));
  DWORD code = 1;
  EXPECT_TRUE(tray.WaitForExit(10000, &code));
}

TEST(TrayProgram, ExitFromItsMenuAsksEveryViewerToClose) {
  TrayProcess tray;
  ASSERT_TRUE(tray.Start(L"--from=main"));
  ASSERT_NE(tray.WaitForServer(), nullptr);
  HWND window = tray.TrayWindow();
  ASSERT_NE(window, nullptr);

  CChannel first;
  CChannel second;
  MainWindowListener first_viewer;
  MainWindowListener second_viewer;
  ASSERT_TRUE(first.Connect(IPC::kTrayChannelName, true));
  ASSERT_TRUE(second.Connect(IPC::kTrayChannelName, true));
  first.AddListener(&first_viewer);
  second.AddListener(&second_viewer);

  // Closing the hidden window is not a way out.
  PostMessageW(window, WM_CLOSE, 0, 0);
  test_support::PumpFor(300);
  ASSERT_TRUE(tray.IsRunning());

  PostMessageW(window, WM_COMMAND, CTrayWindow::kCommandExit, 0);
  ASSERT_TRUE(
      PumpUntil([&] { return !first_viewer.types.empty() && !second_viewer.types.empty(); }));
  EXPECT_EQ(first_viewer.types, std::vector<uint32_t>{IPC::kTrayQuit});
  EXPECT_EQ(second_viewer.types, std::vector<uint32_t>{IPC::kTrayQuit});
  DWORD code = 1;
  ASSERT_TRUE(tray.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(MutexExists(CTrayMutexes::kGlobalName));
}

// Waits for a viewer main window, closes it and waits for its process.
bool ViewerAppearsAndCloses() {
  HWND viewer = nullptr;
  if (!PumpUntil([&] { return (viewer = FindWindowW(kMainFrameClassName, nullptr)) != nullptr; },
                 20000)) {
    return false;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(viewer, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  PostMessageW(viewer, WM_CLOSE, 0, 0);
  const bool ended = process && WaitForSingleObject(process, 15000) == WAIT_OBJECT_0;
  if (process) {
    CloseHandle(process);
  }
  return ended;
}

TEST(TrayProgram, StartsTheViewerFromItsMenuAndAfterAnUpdateHandOver) {
  ASSERT_EQ(FindWindowW(kMainFrameClassName, nullptr), nullptr);
  TrayProcess tray;
  ASSERT_TRUE(tray.Start(L"--from=desktop --need-upgrade-privilege-now --entry=main --from=main"));
  ASSERT_NE(tray.WaitForServer(), nullptr);
  EXPECT_TRUE(ViewerAppearsAndCloses());

  PostMessageW(tray.TrayWindow(), WM_COMMAND, CTrayWindow::kCommandOpenViewer, 0);
  EXPECT_TRUE(ViewerAppearsAndCloses());

  CChannel viewer;
  ASSERT_TRUE(viewer.Connect(IPC::kTrayChannelName, true));
  ASSERT_TRUE(viewer.Send(ViewerMessage(IPC::kTrayQuit), false, 0));
  DWORD code = 1;
  EXPECT_TRUE(tray.WaitForExit(10000, &code));
}

}  // namespace
