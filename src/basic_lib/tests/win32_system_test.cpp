#include "basic_lib/win32_system.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "basic_lib/win_util.h"
#include "support/app_driver.h"
#include "support/fake_wia_registration.h"
#include "support/test_paths.h"

namespace {

using test_support::ScratchFolder;
using test_support::WriteFileBytes;
using win_util::PathExists;

TEST(ShellOperations, DeleteMovesTheFileAwayAndReportsMissingFiles) {
  ScratchFolder folder(L"shell");
  const std::wstring file = folder.File(L"a b.jpg");
  ASSERT_TRUE(WriteFileBytes(file, "picture"));
  const std::wstring neighbour = folder.File(L"c.jpg");
  ASSERT_TRUE(WriteFileBytes(neighbour, "picture"));

  EXPECT_TRUE(win32_system::DeleteCurrentFile(file));
  EXPECT_FALSE(PathExists(file));
  EXPECT_TRUE(PathExists(neighbour));
  EXPECT_FALSE(win32_system::DeleteToRecycleBin(file, FOF_SILENT | FOF_NOCONFIRMATION));
  EXPECT_FALSE(win32_system::DeleteToRecycleBin(L"", FOF_SILENT | FOF_NOCONFIRMATION));
}

TEST(ShellOperations, SilentDeletionRemovesWholeFolders) {
  ScratchFolder folder(L"shell-tree");
  const std::wstring inner = folder.File(L"inner");
  ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(inner + L"\\x.txt", "x"));
  EXPECT_TRUE(win32_system::DeleteSilently(inner));
  EXPECT_FALSE(PathExists(inner));
  EXPECT_FALSE(win32_system::DeleteSilently(L""));
}

TEST(ShellOperations, FileVersionText) {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring version =
      win32_system::GetFileVersionText(std::wstring(system) + L"\\kernel32.dll");
  int parts[4] = {};
  EXPECT_EQ(swscanf(version.c_str(), L"%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]), 4)
      << std::string(version.begin(), version.end());
  ScratchFolder folder(L"version");
  ASSERT_TRUE(WriteFileBytes(folder.File(L"plain.txt"), "no version"));
  EXPECT_EQ(win32_system::GetFileVersionText(folder.File(L"plain.txt")), L"");
  EXPECT_EQ(win32_system::GetFileVersionText(folder.File(L"missing.dll")), L"");
}

TEST(ShellOperations, PrintingHandsTheFileToTheWizardAndEndsQuietlyWithoutIt) {
  ScratchFolder folder(L"print");
  const std::wstring file = folder.File(L"p.png");
  ASSERT_TRUE(WriteFileBytes(file, "p"));
  {
    // The platform has no printing wizard; a stand-in records what it gets.
    test_support::FakeWiaRegistration wizard;
    ASSERT_TRUE(wizard.ok());
    win32_system::PrintFile(file);
    EXPECT_TRUE(test_support::WaitUntil([&] { return !wizard.Log().empty(); }));
    EXPECT_EQ("wizard " + std::string(file.begin(), file.end()) + "\n", wizard.Log());
  }
  // Without one the thread gives up without touching anything.
  test_support::FakeWiaRegistration recorder;
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\WIA.CommonDialog");
  win32_system::PrintFile(file);
  win32_system::PrintFile(L"");
  test_support::PumpFor(500);
  EXPECT_EQ("", recorder.Log());
  EXPECT_EQ("p", test_support::ReadFileBytes(file));
}

}  // namespace
