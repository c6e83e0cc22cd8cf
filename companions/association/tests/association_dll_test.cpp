#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "integration/companion_entry_points.h"
#include "basic_lib/win_util.h"
#include "shared/reg_key.h"
#include "support/test_hive.h"
#include "support/test_paths.h"

namespace {

using Snapshot = std::map<std::wstring, std::wstring>;

const wchar_t* const kExtensions[] = {L"jpg",  L"jpeg", L"jfif", L"jpe",  L"gif", L"png", L"bmp",
                                      L"tiff", L"tif",  L"ico",  L"webp", L"tga", L"psd", L"jp2",
                                      L"pcx",  L"raw",  L"g3",   L"dds",  L"cut", L"xbm", L"xpm",
                                      L"wmf",  L"pfm",  L"pcd",  L"j2k",  L"hdr", L"sgi", L"exr"};

const wchar_t kUserChoice[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%ls\\UserChoice";

std::wstring UserChoicePath(const std::wstring& extension) {
  wchar_t path[256];
  swprintf(path, 256, kUserChoice, extension.c_str());
  return path;
}

void SetString(HKEY root, const std::wstring& path, const std::wstring& name,
               const std::wstring& value) {
  companion::CRegKey key;
  ASSERT_TRUE(key.Create(root, path));
  ASSERT_TRUE(key.SetString(name, value));
}

std::wstring ProgramPath() { return test_support::DistFolder() + L"\\Lumora.exe"; }

// Every user's registry has a classes key.
void SeedUserClasses(HKEY root) {
  companion::CRegKey classes;
  ASSERT_TRUE(classes.Create(root, L"Software\\Classes"));
}

// Registry contents another program or the user put there.
void SeedForeignEntries(HKEY root) {
  SeedUserClasses(root);
  SetString(root, L"Software\\Classes\\.png", L"", L"OtherViewer.png");
  companion::CRegKey open_with;
  ASSERT_TRUE(open_with.Create(root, L"Software\\Classes\\.png\\OpenWithProgids"));
  open_with.SetEmptyValue(L"OtherViewer.png");
  SetString(root, L"Software\\Classes\\.txt", L"", L"txtfile");
  SetString(root, UserChoicePath(L"jpg"), L"ProgId", L"OtherViewer.jpg");
  SetString(root, L"Software\\Lumora", L"fbdata", L"2026-01-01 00:00:00");
  SetString(root, L"Software\\RegisteredApplications", L"OtherViewer",
            L"Software\\OtherViewer\\Capabilities");
}

class AssociationDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryW((test_support::DistFolder() + L"\\ZidizOdera.dll").c_str());
  }
  static void TearDownTestSuite() { FreeLibrary(module_); }

  void SetUp() override {
    ASSERT_NE(module_, nullptr) << "ZidizOdera.dll is not in the program folder";
    is_ok_ = win_util::GetProcAddressAs<IsAssociationOKFn>(module_, "IsAssociationOK");
    set_default_ =
        win_util::GetProcAddressAs<SetDefaultImageViewerFn>(module_, "SetDefaultImageViewer");
    uninstall_ = win_util::GetProcAddressAs<UnInstallFn>(module_, "UnInstall");
    set_association_ = win_util::GetProcAddressAs<SetAssociationFn>(module_, "SetAssociation");
    ASSERT_TRUE(is_ok_ && set_default_ && uninstall_ && set_association_);
  }

  static HMODULE module_;
  IsAssociationOKFn is_ok_ = nullptr;
  SetDefaultImageViewerFn set_default_ = nullptr;
  UnInstallFn uninstall_ = nullptr;
  SetAssociationFn set_association_ = nullptr;
};

HMODULE AssociationDll::module_ = nullptr;

bool StartsWithAny(const std::wstring& path, const std::vector<std::wstring>& prefixes) {
  for (const std::wstring& prefix : prefixes) {
    if (path.compare(0, prefix.size(), prefix) == 0) {
      return true;
    }
  }
  return false;
}

TEST_F(AssociationDll, SetDefaultWritesOnlyItsOwnRecordsAndUninstallRemovesThemAll) {
  test_support::TestHive hive(L"assoc");
  SeedForeignEntries(hive.root());
  const Snapshot seeded = test_support::SnapshotRegistry(hive.root());

  set_default_(0);
  const Snapshot after = test_support::SnapshotRegistry(hive.root());

  // Everything seeded is untouched, including another program's class
  // default and the user's choice (this system is Windows 10).
  for (const auto& entry : seeded) {
    ASSERT_EQ(after.count(entry.first), 1u) << entry.first;
    EXPECT_EQ(after.at(entry.first), entry.second) << entry.first;
  }
  // Everything added is one of the module's records.
  std::vector<std::wstring> allowed = {
      L"Software\\Classes\\Applications\\", L"Software\\Classes\\Applications\\Lumora.exe\\",
      L"Software\\Lumora\\Capabilities\\", L"Software\\RegisteredApplications\\:Lumora"};
  for (const wchar_t* extension : kExtensions) {
    allowed.push_back(std::wstring(L"Software\\Classes\\Lumora.") + extension + L"\\");
    allowed.push_back(std::wstring(L"Software\\Classes\\.") + extension + L"\\");
  }
  for (const auto& entry : after) {
    if (seeded.count(entry.first) == 0) {
      EXPECT_TRUE(StartsWithAny(entry.first, allowed)) << "stray entry " << entry.first.c_str();
    }
  }

  const std::wstring command = L"1:\"" + ProgramPath() + L"\" \"%1\"";
  for (const wchar_t* extension : kExtensions) {
    const std::wstring ext = extension;
    const std::wstring prog_id = L"Lumora." + ext;
    const std::wstring prog_key = L"Software\\Classes\\" + prog_id + L"\\";
    EXPECT_EQ(after.count(prog_key + L"shell\\open\\command\\:")
                  ? after.at(prog_key + L"shell\\open\\command\\:")
                  : L"",
              command)
        << ext.c_str();
    EXPECT_EQ(
        after.count(prog_key + L"DefaultIcon\\:") ? after.at(prog_key + L"DefaultIcon\\:") : L"",
        L"1:" + ProgramPath() + L",0");
    EXPECT_EQ(after.count(L"Software\\Classes\\." + ext + L"\\OpenWithProgids\\:" + prog_id), 1u)
        << ext.c_str();
    EXPECT_EQ(after.count(L"Software\\Lumora\\Capabilities\\FileAssociations\\:." + ext), 1u);
    if (ext != L"png") {
      EXPECT_EQ(after.at(L"Software\\Classes\\." + ext + L"\\:"), L"1:" + prog_id);
    }
  }
  EXPECT_EQ(after.at(L"Software\\RegisteredApplications\\:Lumora"),
            L"1:Software\\Lumora\\Capabilities");

  // Another root is not this module's; nothing changes.
  uninstall_(static_cast<int>(0x80000002u));
  EXPECT_EQ(test_support::SnapshotRegistry(hive.root()), after);

  uninstall_(static_cast<int>(0x80000001u));
  EXPECT_EQ(test_support::SnapshotRegistry(hive.root()), seeded);
}

TEST_F(AssociationDll, AssociationIsOkWhenTheUsersChoiceNamesTheViewerForEveryTypeTurnedOn) {
  test_support::TestHive hive(L"assoc");
  SeedUserClasses(hive.root());
  EXPECT_EQ(is_ok_(), 0);  // never set
  SeedForeignEntries(hive.root());
  set_default_(0);
  // "jpg" is chosen for another program, "png" has another class default.
  EXPECT_EQ(is_ok_(), 0);
  companion::DeleteKeyTree(hive.root(), UserChoicePath(L"jpg"));
  EXPECT_EQ(is_ok_(), 0);
  // The choice is compared without regard to case.
  SetString(hive.root(), UserChoicePath(L"png"), L"ProgId", L"LUMORA.PNG");
  EXPECT_EQ(is_ok_(), 1);

  SetString(hive.root(), UserChoicePath(L"gif"), L"ProgId", L"Lumora.gif2");
  EXPECT_EQ(is_ok_(), 0);
  // A type the user turned off no longer counts.
  set_association_(L"|gif:0|");
  EXPECT_EQ(is_ok_(), 1);
  uninstall_(static_cast<int>(0x80000001u));
  EXPECT_EQ(is_ok_(), 0);
}

TEST_F(AssociationDll, AssociationListIgnoresGarbageEntryByEntry) {
  test_support::TestHive hive(L"assoc");
  SeedUserClasses(hive.root());
  const Snapshot empty = test_support::SnapshotRegistry(hive.root());
  set_association_(nullptr);
  set_association_(L"");
  set_association_(L"||garbage|exe:1|jpg|:1|jpg:2|jpg:1:1|png:x|..\\evil:1|");
  EXPECT_EQ(test_support::SnapshotRegistry(hive.root()), empty);

  set_association_(L"|bogus||jpg:1||exe:1||png:on||PSD:1||tga:0|lnk:1||tiff:1|");
  companion::CRegKey turned_on;
  ASSERT_TRUE(turned_on.Open(hive.root(), L"Software\\Lumora\\Capabilities\\FileAssociations"));
  std::vector<std::wstring> names = turned_on.ValueNames();
  std::sort(names.begin(), names.end());
  // The TIFF box's entry turns on both spellings.
  EXPECT_EQ(names, (std::vector<std::wstring>{L".jpg", L".psd", L".tif", L".tiff"}));
  const Snapshot after = test_support::SnapshotRegistry(hive.root());
  for (const auto& entry : after) {
    for (const wchar_t* refused : {L"\\.exe", L":.exe", L"\\.lnk", L":.lnk", L"Lumora.lnk"}) {
      EXPECT_EQ(entry.first.find(refused), std::wstring::npos) << entry.first.c_str();
    }
  }
  EXPECT_EQ(after.at(L"Software\\Classes\\.jpg\\:"), L"1:Lumora.jpg");
  EXPECT_EQ(after.count(L"Software\\Classes\\.tga\\:"), 0u);

  // Turning a type off takes back the class default but keeps Open With.
  set_association_(L"|jpg:0|");
  const Snapshot off = test_support::SnapshotRegistry(hive.root());
  EXPECT_EQ(off.count(L"Software\\Classes\\.jpg\\:"), 0u);
  EXPECT_EQ(off.count(L"Software\\Classes\\.jpg\\OpenWithProgids\\:Lumora.jpg"), 1u);
  EXPECT_EQ(off.count(L"Software\\Lumora\\Capabilities\\FileAssociations\\:.jpg"), 0u);

  uninstall_(static_cast<int>(0x80000001u));
  EXPECT_EQ(test_support::SnapshotRegistry(hive.root()), empty);
}

// Before Windows 8 a program may set the user's choice itself.
class Windows7Process {
 public:
  Windows7Process() {
    // Wine reports this version to the helper program alone.
    SetString(HKEY_CURRENT_USER, kAppDefaults, L"Version", L"win7");
  }
  ~Windows7Process() { companion::DeleteKeyTree(HKEY_CURRENT_USER, kAppDefaults); }

  static DWORD Run(const std::wstring& hive, const wchar_t* action) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\association_test_helper.exe";
    std::wstring command = L"\"" + path + L"\" \"" + hive + L"\" " + action;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return 1;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
  }

 private:
  static constexpr const wchar_t* kAppDefaults =
      L"Software\\Wine\\AppDefaults\\association_test_helper.exe";
};

TEST(AssociationWindows7, SetDefaultSetsTheUsersChoiceAndUninstallTakesItBack) {
  const std::wstring hive =
      L"Software\\LumoraTestHive-win7-" + std::to_wstring(GetCurrentProcessId());
  companion::DeleteKeyTree(HKEY_CURRENT_USER, hive);
  SetString(HKEY_CURRENT_USER, hive + L"\\" + UserChoicePath(L"jpg"), L"ProgId",
            L"OtherViewer.jpg");
  SetString(HKEY_CURRENT_USER, hive + L"\\" + UserChoicePath(L"bmp"), L"ProgId",
            L"OtherViewer.bmp");
  Windows7Process windows7;

  EXPECT_EQ(Windows7Process::Run(hive, L"set"), 101u);
  for (const wchar_t* extension : kExtensions) {
    companion::CRegKey choice;
    std::wstring prog_id;
    ASSERT_TRUE(choice.Open(HKEY_CURRENT_USER, hive + L"\\" + UserChoicePath(extension)))
        << extension;
    ASSERT_TRUE(choice.GetString(L"ProgId", &prog_id));
    EXPECT_EQ(prog_id, std::wstring(L"Lumora.") + extension);
  }

  // The user picks another program for BMP afterwards: not the default any more.
  SetString(HKEY_CURRENT_USER, hive + L"\\" + UserChoicePath(L"bmp"), L"ProgId",
            L"OtherViewer.bmp");
  EXPECT_EQ(Windows7Process::Run(hive, L"check"), 100u);

  // Uninstall takes back the choices it made and leaves the user's own.
  EXPECT_EQ(Windows7Process::Run(hive, L"uninstall"), 100u);
  companion::CRegKey root;
  ASSERT_TRUE(root.Open(HKEY_CURRENT_USER, hive));
  const Snapshot rest = test_support::SnapshotRegistry(root.get());
  for (const auto& entry : rest) {
    EXPECT_EQ(entry.first.find(L"Lumora."), std::wstring::npos) << entry.first.c_str();
  }
  EXPECT_EQ(rest.at(UserChoicePath(L"bmp") + L"\\:ProgId"), L"1:OtherViewer.bmp");
  EXPECT_EQ(rest.count(UserChoicePath(L"jpg") + L"\\:ProgId"), 0u);
  root.Close();
  companion::DeleteKeyTree(HKEY_CURRENT_USER, hive);
}

}  // namespace
