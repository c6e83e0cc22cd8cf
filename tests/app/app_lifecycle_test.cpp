// The viewer's start-up and shut-down seen from outside: one-shot switches,
// the update hand-over, missing program files, the tray program, the
// statistics, the exit's clean-up and the crash filter.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/app_names.h"
#include "support/app_helpers.h"
#include "basic_lib/win_util.h"
#include "resource_ids.h"
#include "support/app_driver.h"
#include "support/test_paths.h"
#include "version.h"

namespace {

using test_support::Contains;
using test_support::DataFolder;
using test_support::DistFolder;
using test_support::FilesIn;
using test_support::HeldMutex;
using test_support::LumoraProcess;
using test_support::Quoted;
using test_support::ScratchFolder;
using test_support::WaitUntil;
using test_support::WindowCaption;

std::wstring TrayPath() { return DistFolder() + L"\\LumoraTray.exe"; }

bool KeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
  const std::wstring source = from + L'\0';
  const std::wstring target = to + L'\0';
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_COPY;
  operation.pFrom = source.c_str();
  operation.pTo = target.c_str();
  operation.fFlags = FOF_NO_UI;
  return SHFileOperationW(&operation) == 0;
}

// A copy of the program file in a folder of its own, with what the test asks for.
class ProgramCopy {
 public:
  explicit ProgramCopy(const wchar_t* name) : root_(name), folder_(root_.path() + L"\\app\\") {
    CreateDirectoryW(folder_.c_str(), nullptr);
    copied_ = CopyFileW((DistFolder() + L"\\Lumora.exe").c_str(), exe().c_str(), FALSE) != FALSE;
  }
  bool AddSkins() {
    return CreateDirectoryW((folder_ + L"resources").c_str(), nullptr) &&
           CopyFileW((DistFolder() + L"\\resources\\res.zip").c_str(),
                     (folder_ + L"resources\\res.zip").c_str(), FALSE);
  }
  bool AddCommonModuleToParent() {
    return CopyFileW((DistFolder() + L"\\common.dll").c_str(),
                     (root_.path() + L"\\common.dll").c_str(), FALSE) != FALSE;
  }
  std::wstring exe() const { return folder_ + L"Lumora.exe"; }
  bool copied() const { return copied_; }

 private:
  ScratchFolder root_;
  std::wstring folder_;
  bool copied_ = false;
};

// Sets the data folder aside and puts it back, whatever the test did to it.
class DataFolderBackup {
 public:
  DataFolderBackup()
      : data_(DataFolder().substr(0, DataFolder().size() - 1)), backup_(L"data-backup") {
    saved_ = CopyTree(data_, backup_.path() + L"\\Lumora");
  }
  ~DataFolderBackup() {
    if (saved_) {
      CopyTree(backup_.path() + L"\\Lumora", data_);
    }
  }
  bool saved() const { return saved_; }
  const std::wstring& data() const { return data_; }

 private:
  std::wstring data_;
  ScratchFolder backup_;
  bool saved_ = false;
};

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(test_support::FindMessageWindow(kAlwaysWindowName)) << "a viewer runs";
    test_support::EndTrayPrograms();
  }
  void TearDown() override { test_support::EndTrayPrograms(); }

  test_support::SettingsGuard settings_;
};

TEST_F(Lifecycle, InstallAndUninstallRunTheirModuleCallsAndEndWithoutAWindow) {
  // Uninstalling deletes the data folder.
  DataFolderBackup backup;
  ASSERT_TRUE(backup.saved());

  {
    // Another process is changing the association: the install waits for it.
    HeldMutex association(L"LmMainSetFileAssociation-9c1a7e1574578709", true);
    LumoraProcess install;
    ASSERT_TRUE(install.Start(L"/install"));
    test_support::PumpFor(1500);
    EXPECT_FALSE(install.WaitForExit(0));
    association.Release();
    DWORD code = 1;
    ASSERT_TRUE(install.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
  }
  EXPECT_TRUE(KeyExists(L"Software\\Classes\\Lumora.jpg"));
  EXPECT_EQ(GetPrivateProfileIntW(L"app", L"user_set_default_viewer", -1, settings_.file().c_str()),
            1);

  LumoraProcess uninstall;
  ASSERT_TRUE(uninstall.Start(L"-uninstall"));
  DWORD code = 1;
  ASSERT_TRUE(uninstall.WaitForExit(20000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(KeyExists(L"Software\\Classes\\Lumora.jpg"));
  EXPECT_FALSE(win_util::PathExists(backup.data()));
  EXPECT_EQ(test_support::FindMainWindowOf(0), nullptr);
}

TEST_F(Lifecycle, APendingUpdateIsHandedToTheTrayProgramUnlessItRunsOrTheUpdaterDoes) {
  test_support::FileRestorer state(DistFolder() + L"\\config.ini");
  ASSERT_TRUE(test_support::WriteFileBytes(DistFolder() + L"\\config.ini",
                                           "[update]\r\nstate=glimtUpdate\r\n"));
  ScratchFolder pictures(L"update");
  ASSERT_TRUE(test_support::WriteBitmap(pictures.File(L"a.bmp")));

  {
    SCOPED_TRACE("the updater runs");
    HeldMutex updater(L"LUMORA_570E6FBC-027B-461C-9218-8447018C832F", false);
    LumoraProcess viewer;
    ASSERT_TRUE(viewer.Start(L""));
    EXPECT_NE(viewer.WaitForMainWindow(), nullptr);
  }
  test_support::EndTrayPrograms();

  {
    SCOPED_TRACE("no tray program: it takes the start over and starts the viewer again");
    LumoraProcess viewer;
    ASSERT_TRUE(viewer.Start(Quoted(pictures.File(L"a.bmp"))));
    DWORD code = 1;
    ASSERT_TRUE(viewer.WaitForExit(20000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitUntil(test_support::TrayProgramRuns));
    HWND restarted = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (restarted = test_support::FindMainWindowOf(0)) != nullptr; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(restarted), L"a.bmp"); }));
    DWORD pid = 0;
    GetWindowThreadProcessId(restarted, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageW(restarted, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, 15000), WAIT_OBJECT_0);
    CloseHandle(process);
  }
  test_support::EndTrayPrograms();

  {
    SCOPED_TRACE("the tray program runs");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION tray = {};
    std::wstring command = Quoted(TrayPath()) + L" --from=main";
    ASSERT_TRUE(CreateProcessW(TrayPath().c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &tray));
    CloseHandle(tray.hThread);
    CloseHandle(tray.hProcess);
    ASSERT_TRUE(WaitUntil(test_support::TrayProgramRuns));
    LumoraProcess viewer;
    ASSERT_TRUE(viewer.Start(L""));
    EXPECT_NE(viewer.WaitForMainWindow(), nullptr);
  }
}

TEST_F(Lifecycle, WithoutItsSkinsTheViewerSaysSoAndEndsWithMinusOne) {
  ProgramCopy copy(L"no-skins");
  ASSERT_TRUE(copy.copied());
  LumoraProcess viewer;
  ASSERT_TRUE(viewer.Start(L"", copy.exe()));
  // The skinned box from the program's own zip resource (its looks are
  // checked in skinned_box_app_test); its one button is at the middle bottom.
  HWND box = test_support::WaitForWindowOfClass(viewer.pid(), L"CMessageBox", 20000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(test_support::FindMainWindowOf(viewer.pid()), nullptr);
  test_support::PostClick(box, {170, 148});
  DWORD code = 0;
  ASSERT_TRUE(viewer.WaitForExit(10000, &code));
  EXPECT_EQ(code, static_cast<DWORD>(-1));
}

TEST_F(Lifecycle, TheStatisticsLibraryIsFoundBesideTheProgramOrInItsParentFolder) {
  ProgramCopy copy(L"no-common");
  ASSERT_TRUE(copy.copied());
  ASSERT_TRUE(copy.AddSkins());
  {
    SCOPED_TRACE("nowhere: the process ends with 0");
    LumoraProcess viewer;
    ASSERT_TRUE(viewer.Start(L"", copy.exe()));
    EXPECT_EQ(viewer.WaitForMainWindow(20000), nullptr);
    DWORD code = 1;
    ASSERT_TRUE(viewer.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
  }
  {
    SCOPED_TRACE("in the parent folder");
    ASSERT_TRUE(copy.AddCommonModuleToParent());
    LumoraProcess viewer;
    ASSERT_TRUE(viewer.Start(L"", copy.exe()));
    EXPECT_NE(viewer.WaitForMainWindow(20000), nullptr);
  }
}

TEST_F(Lifecycle, StatisticsOfTheStartAndItsSourceReachTheStatisticsLibrary) {
  const std::wstring data = DataFolder();
  test_support::FileRestorer marker(data + L"main.log.on");
  test_support::FileRestorer stat_log(data + L"stat.log");
  test_support::FileRestorer main_log(data + L"main.log");
  DeleteFileW((data + L"stat.log").c_str());
  ASSERT_TRUE(test_support::WriteFileBytes(data + L"main.log.on", ""));

  LumoraProcess viewer;
  ASSERT_TRUE(viewer.Start(L"--from=desktop"));
  ASSERT_NE(viewer.WaitForMainWindow(), nullptr);
  std::string log;
  EXPECT_TRUE(WaitUntil([&] {
    log = test_support::ReadFileBytes(data + L"stat.log");
    return log.find("\tmain\topen_lnk\t") != std::string::npos;
  }));
  const size_t open = log.find("\tmain\topen\t1\n");
  ASSERT_NE(open, std::string::npos) << log;
  EXPECT_LT(open, log.find("\tmain\topen_lnk\t1\n")) << log;
}

TEST_F(Lifecycle, TheViewerStartsTheTrayProgramWhichOutlivesItUnlessTheLastViewerExitsCompletely) {
  ScratchFolder pictures(L"complete-exit");
  ASSERT_TRUE(test_support::WriteBitmap(pictures.File(L"a.bmp")));
  ASSERT_TRUE(test_support::WriteBitmap(pictures.File(L"b.bmp")));
  {
    LumoraProcess viewer;
    ASSERT_TRUE(viewer.Start(L""));
    ASSERT_NE(viewer.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(WaitUntil(test_support::TrayProgramRuns));
    EXPECT_EQ(test_support::ProcessesOf(TrayPath()).size(), 1u);
    viewer.KeepTrayProgram();
    PostMessageW(viewer.main_window(), WM_COMMAND, IDC_CLOSE_BUTTON, 0);
    DWORD code = 1;
    ASSERT_TRUE(viewer.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
    test_support::PumpFor(1000);
    EXPECT_TRUE(test_support::TrayProgramRuns());
  }

  settings_.Set(L"completely_exit", L"1");
  LumoraProcess first;
  LumoraProcess second;
  ASSERT_TRUE(first.Start(Quoted(pictures.File(L"a.bmp"))));
  ASSERT_NE(first.WaitForMainWindow(), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"a.bmp"); }));
  ASSERT_TRUE(second.Start(Quoted(pictures.File(L"b.bmp"))));
  ASSERT_NE(second.WaitForMainWindow(), nullptr);

  PostMessageW(first.main_window(), WM_COMMAND, IDC_CLOSE_BUTTON, 0);
  ASSERT_TRUE(first.WaitForExit(15000));
  test_support::PumpFor(1000);
  EXPECT_TRUE(test_support::TrayProgramRuns()) << "another viewer still runs";

  PostMessageW(second.main_window(), WM_COMMAND, IDC_CLOSE_BUTTON, 0);
  ASSERT_TRUE(second.WaitForExit(15000));
  EXPECT_TRUE(WaitUntil([] {
    return !test_support::TrayProgramRuns() && test_support::ProcessesOf(TrayPath()).empty();
  }));
}

TEST_F(Lifecycle, ExitKeepsTheTenNewestCrashDumpsAndDeletesThePrintScratchFile) {
  const std::wstring crash = DataFolder() + L"temp\\crash\\";
  const std::wstring print = DataFolder() + L"temp\\tempprint.jpg";
  // Dumps already there are set aside and put back afterwards.
  ScratchFolder aside(L"dumps-aside");
  const std::set<std::wstring> earlier = FilesIn(crash, L"*.dmp");
  for (const std::wstring& name : earlier) {
    MoveFileW((crash + name).c_str(), aside.File(name).c_str());
  }
  test_support::FileRestorer print_restorer(print);

  std::vector<std::wstring> dumps;
  for (int month = 1; month <= 12; ++month) {
    wchar_t name[64];
    swprintf(name, 64, L"lumoramain_1.0.0.1_2024-%02d-01_08-00-00.dmp", month);
    dumps.push_back(name);
    ASSERT_TRUE(test_support::WriteFileBytes(crash + name, "dump"));
  }
  ASSERT_TRUE(test_support::WriteFileBytes(print, "print"));

  LumoraProcess viewer;
  ASSERT_TRUE(viewer.Start(L""));
  ASSERT_NE(viewer.WaitForMainWindow(), nullptr);
  PostMessageW(viewer.main_window(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(viewer.WaitForExit(15000));

  const std::set<std::wstring> left = FilesIn(crash, L"*.dmp");
  EXPECT_EQ(left, std::set<std::wstring>(dumps.begin() + 2, dumps.end()));
  EXPECT_FALSE(win_util::PathExists(print));

  for (const std::wstring& name : left) {
    DeleteFileW((crash + name).c_str());
  }
  for (const std::wstring& name : earlier) {
    MoveFileW(aside.File(name).c_str(), (crash + name).c_str());
  }
}

TEST_F(Lifecycle, ACrashStartsTheUploaderWhichLeavesADump) {
  const std::wstring crash = DataFolder() + L"temp\\crash\\";
  const std::set<std::wstring> before = FilesIn(crash, L"*.dmp");
  LumoraProcess viewer;
  ASSERT_TRUE(viewer.Start(L""));
  ASSERT_NE(viewer.WaitForMainWindow(), nullptr);

  // A thread that starts at an address holding no code crashes at once.
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                   PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                               FALSE, viewer.pid());
  ASSERT_NE(process, nullptr);
  HANDLE thread = CreateRemoteThread(
      process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(0x10), nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  CloseHandle(thread);
  CloseHandle(process);

  // The uploader is a second process that suspends the viewer to write the
  // dump: on a loaded machine under Wine that takes far longer than usual.
  DWORD code = 0;
  ASSERT_TRUE(viewer.WaitForExit(180000, &code));
  EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  std::set<std::wstring> added;
  for (const std::wstring& name : FilesIn(crash, L"*.dmp")) {
    if (!before.count(name)) {
      added.insert(name);
    }
  }
  ASSERT_EQ(added.size(), 1u);
  // Named after the source tag and the version the filter passed on.
  EXPECT_TRUE(Contains(*added.begin(), L"lumoramain")) << *added.begin();
  EXPECT_TRUE(Contains(*added.begin(), LUMORA_VERSION_WTEXT)) << *added.begin();
  for (const std::wstring& name : added) {
    DeleteFileW((crash + name).c_str());
  }
}

}  // namespace
