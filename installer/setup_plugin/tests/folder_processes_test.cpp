#include "setup_plugin/folder_processes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/handle.h"
#include "support/test_paths.h"

namespace {

using setup_plugin::CFolderProcesses;

TEST(FolderProcesses, ContainsFilesOfTheFolderAndItsSubFoldersOnly) {
  struct Case {
    const wchar_t* path;
    bool contained;
  };
  const Case cases[] = {
      {L"C:\\Programs\\Lumora\\Lumora.exe", true},
      {L"c:\\PROGRAMS\\lumora\\LumoraTray.exe", true},
      {L"C:\\Programs\\Lumora\\Utils\\DedaDuze.exe", true},
      {L"C:\\Programs\\Lumora2\\Lumora.exe", false},
      {L"C:\\Programs\\Lumor\\Lumora.exe", false},
      {L"C:\\Programs\\Lumora", false},
      {L"C:\\Programs\\Lumora\\", false},
      {L"D:\\Programs\\Lumora\\Lumora.exe", false},
      {L"", false},
  };
  // However the folder is written, it is the same folder.
  for (const wchar_t* folder : {L"C:\\Programs\\Lumora", L"C:\\Programs\\Lumora\\",
                                L"C:/Programs/Lumora//", L"C:\\Programs\\x\\..\\Lumora"}) {
    const CFolderProcesses processes(folder);
    EXPECT_EQ(processes.folder(), L"C:\\Programs\\Lumora\\") << folder;
    for (const Case& c : cases) {
      EXPECT_EQ(processes.Contains(c.path), c.contained) << folder << L" / " << c.path;
    }
  }
}

// Copies of the helper program, started from the folders of a scratch tree.
class FolderProcessesRun : public ::testing::Test {
 protected:
  FolderProcessesRun() : root_(L"folder-processes") {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    helper_ = self;
    helper_ = helper_.substr(0, helper_.find_last_of(L'\\')) + L"\\folder_process_helper.exe";
  }

  ~FolderProcessesRun() override {
    for (const CHandle& process : started_) {
      TerminateProcess(process.get(), 1);
      WaitForSingleObject(process.get(), 5000);
    }
  }

  std::wstring Folder(const std::wstring& relative) {
    const std::wstring folder = root_.path() + L"\\" + relative;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
  }

  // Starts a copy of the helper as folder\name in the given mode.
  HANDLE Start(const std::wstring& folder, const std::wstring& name, const std::wstring& mode) {
    const std::wstring exe = folder + L"\\" + name;
    EXPECT_TRUE(CopyFileW(helper_.c_str(), exe.c_str(), FALSE)) << exe;
    std::wstring command = L"\"" + exe + L"\" " + mode;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    EXPECT_TRUE(CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info))
        << exe;
    const CHandle thread(info.hThread);
    started_.emplace_back(info.hProcess);
    if (mode != L"plain") {
      WaitForInputIdle(info.hProcess, 10000);
    }
    return info.hProcess;
  }

  static DWORD ExitCode(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    return code;
  }

  static std::vector<DWORD> Sorted(std::vector<DWORD> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
  }

  test_support::ScratchFolder root_;
  std::wstring helper_;
  std::vector<CHandle> started_;
};

TEST_F(FolderProcessesRun, ClosesViewersEndsTheRestAndLeavesOtherFoldersAlone) {
  const std::wstring installed = Folder(L"Lumora");
  const std::wstring sub = Folder(L"Lumora\\Utils");
  const std::wstring neighbour = Folder(L"Lumora2");

  HANDLE viewer = Start(installed, L"Lumora.exe", L"viewer");
  HANDLE deaf = Start(installed, L"Lumora-copy.exe", L"deaf");
  HANDLE tray = Start(installed, L"LumoraTray.exe", L"plain");
  HANDLE uploader = Start(sub, L"DedaDuze.exe", L"plain");
  HANDLE other_viewer = Start(neighbour, L"Lumora.exe", L"viewer");

  const CFolderProcesses processes(installed);
  EXPECT_EQ(Sorted(processes.Running()), Sorted({GetProcessId(viewer), GetProcessId(deaf),
                                                 GetProcessId(tray), GetProcessId(uploader)}));

  EXPECT_EQ(processes.EndAll(1500), 0u);
  for (HANDLE process : {viewer, deaf, tray, uploader}) {
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0);
  }
  // The viewer closed as its close button would have it; the others were ended.
  EXPECT_EQ(ExitCode(viewer), 7u);
  EXPECT_EQ(ExitCode(deaf), 0u);
  EXPECT_TRUE(processes.Running().empty());

  EXPECT_EQ(WaitForSingleObject(other_viewer, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(CFolderProcesses(neighbour).Running(), std::vector<DWORD>{GetProcessId(other_viewer)});
}

}  // namespace
