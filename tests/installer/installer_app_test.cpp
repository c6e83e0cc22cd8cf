// The installer, its uninstaller and the portable zip, run in the test
// prefix as a user would: silently, into the user's own programs folder.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "support/app_helpers.h"
#include "basic_lib/win_util.h"
#include "framework/auto_init_com.h"
#include "framework/com_ptr.h"
#include "framework/handle.h"
#include "setup_plugin/folder_processes.h"
#include "support/app_driver.h"
#include "support/test_hive.h"
#include "support/test_paths.h"

namespace {

using test_support::Contains;
using test_support::LumoraProcess;
using test_support::Quoted;
using test_support::ReadFileBytes;
using test_support::ScratchFolder;
using test_support::WaitUntil;

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumora";
const wchar_t kProductKey[] = L"Software\\Lumora";
const wchar_t kOtherUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherViewer";
const wchar_t kOtherProgIdKey[] = L"Software\\Classes\\OtherViewer.jpg";
const wchar_t kJpegClassKey[] = L"Software\\Classes\\.jpg";

std::wstring Env(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::wstring InstallFolder() { return ShellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Lumora"; }
std::wstring Shortcut() { return ShellFolder(CSIDL_PROGRAMS) + L"\\Lumora.lnk"; }
std::wstring DataFolderPath() {
  std::wstring folder = test_support::DataFolder();
  folder.pop_back();
  return folder;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// An open key under HKEY_CURRENT_USER, closed when the object goes away.
class CUserKey {
 public:
  explicit CUserKey(const wchar_t* path) {
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key_) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~CUserKey() {
    if (key_) {
      RegCloseKey(key_);
    }
  }
  CUserKey(const CUserKey&) = delete;
  CUserKey& operator=(const CUserKey&) = delete;

  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool KeyExists(const wchar_t* path) { return CUserKey(path).get() != nullptr; }

std::wstring ReadString(const wchar_t* path, const wchar_t* name) {
  wchar_t value[2048] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return value;
}

DWORD ReadDword(const wchar_t* path, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

void WriteString(const wchar_t* path, const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, path, name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::map<std::wstring, std::wstring> Snapshot(const wchar_t* path) {
  const CUserKey key(path);
  return key.get() ? test_support::SnapshotRegistry(key.get())
                   : std::map<std::wstring, std::wstring>();
}

// "a.b.c.d" from a program's version resource; empty without one.
std::wstring FileVersion(const std::wstring& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  std::vector<BYTE> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) {
    return std::wstring();
  }
  return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
         std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
         std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
         std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

// Every file below folder, as paths relative to it.
void ListFiles(const std::wstring& folder, const std::wstring& prefix,
               std::vector<std::wstring>* out) {
  WIN32_FIND_DATAW found = {};
  const CFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) {
    return;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") {
      continue;
    }
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ListFiles(folder + L"\\" + name, prefix + name + L"\\", out);
    } else {
      out->push_back(prefix + name);
    }
  } while (FindNextFileW(search.get(), &found));
}

std::vector<std::wstring> FilesBelow(const std::wstring& folder) {
  std::vector<std::wstring> files;
  ListFiles(folder, L"", &files);
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<DWORD> ChildrenOf(DWORD parent) {
  std::vector<DWORD> children;
  const CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) {
    return children;
  }
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID == parent) {
      children.push_back(entry.th32ProcessID);
    }
  }
  return children;
}

// Runs a program and waits for its end and for the end of the programs it
// started; returns its exit code, or -1.
int RunAndWait(const std::wstring& exe, const std::wstring& arguments, DWORD timeout_ms = 120000) {
  std::wstring command = Quoted(exe) + L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return -1;
  }
  const CHandle process(info.hProcess);
  const CHandle thread(info.hThread);
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.get(), timeout_ms) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.get(), &code);
  } else {
    TerminateProcess(process.get(), 1);
  }
  // While its handle is open the id cannot name another process.
  for (DWORD id : ChildrenOf(info.dwProcessId)) {
    const CHandle child(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (child) {
      WaitForSingleObject(child.get(), timeout_ms);
    }
  }
  return static_cast<int>(code);
}

void RemoveTree(const std::wstring& path) {
  std::wstring from = path;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

bool CopyTree(const std::wstring& from_folder, const std::wstring& to_folder) {
  std::wstring from = from_folder + L"\\*";
  from.push_back(L'\0');
  std::wstring to = to_folder;
  to.push_back(L'\0');
  CreateDirectoryW(to_folder.c_str(), nullptr);
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_COPY;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_NO_UI;
  return SHFileOperationW(&op) == 0;
}

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[256] = {};
  GetPrivateProfileStringW(section, key, L"<missing>", value, 256, file.c_str());
  return value;
}

struct ShortcutTarget {
  std::wstring path;
  std::wstring arguments;
};

ShortcutTarget ReadShortcut(const std::wstring& lnk) {
  ShortcutTarget target;
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.Receive())))) {
    return target;
  }
  const ComPtr<IPersistFile> file = link.As<IPersistFile>();
  if (!file || FAILED(file->Load(lnk.c_str(), STGM_READ))) {
    return target;
  }
  wchar_t text[MAX_PATH * 2] = {};
  if (SUCCEEDED(link->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH))) {
    target.path = text;
  }
  text[0] = L'\0';
  if (SUCCEEDED(link->GetArguments(text, MAX_PATH * 2))) {
    target.arguments = text;
  }
  return target;
}

// The viewer's data folder is moved aside while a test runs (the uninstaller
// deletes it) and put back afterwards.
class DataFolderAside {
 public:
  DataFolderAside() : folder_(DataFolderPath()), aside_(folder_ + L".installer-test") {
    if (win_util::PathExists(aside_)) {
      RemoveTree(folder_);
      MoveFileW(aside_.c_str(), folder_.c_str());
    }
    moved_ = MoveFileW(folder_.c_str(), aside_.c_str()) != FALSE;
  }
  ~DataFolderAside() {
    RemoveTree(folder_);
    if (moved_) {
      MoveFileW(aside_.c_str(), folder_.c_str());
    }
  }
  DataFolderAside(const DataFolderAside&) = delete;
  DataFolderAside& operator=(const DataFolderAside&) = delete;

 private:
  std::wstring folder_;
  std::wstring aside_;
  bool moved_ = false;
};

class InstallerTest : public ::testing::Test {
 protected:
  InstallerTest()
      : setup_(Env(L"LUMORA_TEST_SETUP")),
        older_setup_(Env(L"LUMORA_TEST_OLDER_SETUP")),
        stage_(Env(L"LUMORA_TEST_STAGE")),
        folder_(InstallFolder()),
        pictures_(L"installer-pictures") {
    RemoveInstallation();
  }

  ~InstallerTest() override { RemoveInstallation(); }

  void SetUp() override {
    ASSERT_TRUE(win_util::PathExists(setup_)) << setup_;
    ASSERT_TRUE(win_util::PathExists(stage_ + L"\\Lumora.exe")) << stage_;
    picture_ = pictures_.File(L"trip.bmp");
    ASSERT_TRUE(test_support::WriteBitmap(picture_, 32, 24));
  }

  std::wstring Installed(const std::wstring& name) const { return folder_ + L"\\" + name; }

  int Install(const std::wstring& setup, const std::wstring& arguments = L"/S") {
    return RunAndWait(setup, arguments);
  }

  // Runs the uninstaller as the system's program list does. It works from a
  // copy of itself in the temporary folder, which its first process starts
  // before it returns.
  bool Uninstall() { return RunAndWait(Installed(L"uninstall.exe"), L"/S") == 0; }

  // Whatever a failed test left: its programs, the installation, the entries.
  void RemoveInstallation() {
    setup_plugin::CFolderProcesses(folder_).EndAll(0);
    if (win_util::PathExists(Installed(L"uninstall.exe"))) {
      RunAndWait(Installed(L"uninstall.exe"), L"/S _?=" + folder_);
    }
    RemoveTree(folder_);
    DeleteFileW(Shortcut().c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kOtherUninstallKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kOtherProgIdKey);
    if (ReadString(kJpegClassKey, nullptr) == L"OtherViewer.jpg") {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kJpegClassKey, nullptr);
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Classes\\.jpg\\OpenWithProgids",
                       L"OtherViewer.jpg");
  }

  // Starts the installed viewer on the test picture and waits for its caption.
  void StartViewer(LumoraProcess* viewer) {
    ASSERT_TRUE(viewer->Start(Quoted(picture_), Installed(L"Lumora.exe")));
    ASSERT_NE(viewer->WaitForMainWindow(), nullptr);
    EXPECT_TRUE(WaitUntil([&] {
      return Contains(test_support::WindowCaption(viewer->main_window()), L"trip.bmp");
    })) << test_support::WindowCaption(viewer->main_window());
  }

  void ExpectProgramFilesAsShipped() {
    const std::vector<std::wstring> shipped = FilesBelow(stage_);
    ASSERT_FALSE(shipped.empty());
    for (const std::wstring& file : shipped) {
      EXPECT_EQ(ReadFileBytes(Installed(file)), ReadFileBytes(stage_ + L"\\" + file)) << file;
    }
  }

  const std::wstring setup_;
  const std::wstring older_setup_;
  const std::wstring stage_;
  const std::wstring folder_;
  FCAutoInitializeCOM com_;
  DataFolderAside data_aside_;
  ScratchFolder pictures_;
  std::wstring picture_;
};

TEST_F(InstallerTest, SilentInstallPutsProgramShortcutAndEntryInPlaceAndRunsTheFirstStart) {
  ASSERT_EQ(Install(setup_), 0);

  ExpectProgramFilesAsShipped();
  EXPECT_TRUE(win_util::PathExists(Installed(L"uninstall.exe")));

  const ShortcutTarget shortcut = ReadShortcut(Shortcut());
  EXPECT_TRUE(SamePath(shortcut.path, Installed(L"Lumora.exe"))) << shortcut.path;
  EXPECT_EQ(shortcut.arguments, L"--from=startmenu");

  // The version shown is the program's own, and the installer carries it too.
  const std::wstring version = FileVersion(Installed(L"Lumora.exe"));
  ASSERT_FALSE(version.empty());
  EXPECT_EQ(FileVersion(setup_), version);
  EXPECT_EQ(ReadString(kUninstallKey, L"DisplayName"), L"Lumora");
  EXPECT_EQ(ReadString(kUninstallKey, L"DisplayVersion"), version);
  EXPECT_EQ(ReadString(kUninstallKey, L"Publisher"), L"Lumora");
  EXPECT_TRUE(SamePath(ReadString(kUninstallKey, L"InstallLocation"), folder_));
  EXPECT_TRUE(
      SamePath(ReadString(kUninstallKey, L"UninstallString"), Quoted(Installed(L"uninstall.exe"))));
  EXPECT_TRUE(SamePath(ReadString(kUninstallKey, L"QuietUninstallString"),
                       Quoted(Installed(L"uninstall.exe")) + L" /S"));
  EXPECT_TRUE(SamePath(ReadString(kUninstallKey, L"DisplayIcon"), Installed(L"Lumora.exe,0")));
  EXPECT_EQ(ReadDword(kUninstallKey, L"NoModify"), 1u);
  EXPECT_GT(ReadDword(kUninstallKey, L"EstimatedSize"), 1000u);

  // The program's first start made it the user's picture viewer.
  EXPECT_EQ(
      IniValue(test_support::DataFolder() + L"config.ini", L"app", L"user_set_default_viewer"),
      L"1");
  EXPECT_TRUE(Contains(ReadString(L"Software\\Classes\\Lumora.jpg\\shell\\open\\command", nullptr),
                       Installed(L"Lumora.exe")));

  {
    LumoraProcess viewer;
    StartViewer(&viewer);
    viewer.Close();
  }

  // Nothing else lived in the folder, so it goes with the program.
  ASSERT_TRUE(Uninstall());
  EXPECT_FALSE(win_util::PathExists(folder_));
}

TEST_F(InstallerTest, InstallingOverAnOlderVersionKeepsTheUsersSettings) {
  ASSERT_TRUE(win_util::PathExists(older_setup_)) << older_setup_;
  ASSERT_EQ(Install(older_setup_), 0);
  ASSERT_EQ(ReadString(kUninstallKey, L"DisplayVersion"), L"0.9.0.0");

  // What the user chose since: settings, types turned off, no default viewer.
  const std::wstring config = test_support::DataFolder() + L"config.ini";
  const std::wstring user_assoc = test_support::DataFolder() + L"user_assoc.ini";
  WritePrivateProfileStringW(L"app", L"max_zoom_ratio", L"16", config.c_str());
  WritePrivateProfileStringW(L"app", L"view_folder_loop", L"1", config.c_str());
  WritePrivateProfileStringW(L"app", L"user_set_default_viewer", L"0", config.c_str());
  WritePrivateProfileStringW(L"app", L"gif", L"x", user_assoc.c_str());
  // A program file of the older version.
  ASSERT_TRUE(test_support::WriteFileBytes(Installed(L"locales\\en.ini"), "older"));

  LumoraProcess viewer;
  StartViewer(&viewer);
  // An update stays in the installed folder, where the file types point,
  // even when given another.
  const std::wstring elsewhere = pictures_.File(L"elsewhere");
  ASSERT_EQ(Install(setup_, L"/S /D=" + elsewhere), 0);
  EXPECT_FALSE(win_util::PathExists(elsewhere));
  // The running viewer of the folder was closed for the update.
  EXPECT_TRUE(viewer.WaitForExit(5000));

  ExpectProgramFilesAsShipped();
  EXPECT_EQ(ReadString(kUninstallKey, L"DisplayVersion"), FileVersion(Installed(L"Lumora.exe")));
  EXPECT_EQ(IniValue(config, L"app", L"max_zoom_ratio"), L"16");
  EXPECT_EQ(IniValue(config, L"app", L"view_folder_loop"), L"1");
  EXPECT_EQ(IniValue(config, L"app", L"user_set_default_viewer"), L"0");
  EXPECT_EQ(IniValue(user_assoc, L"app", L"gif"), L"x");

  // The updated program runs and reads those settings.
  LumoraProcess updated;
  StartViewer(&updated);
  updated.Close();
  EXPECT_EQ(IniValue(config, L"app", L"max_zoom_ratio"), L"16");
}

TEST_F(InstallerTest, SilentUninstallEndsTheViewerAndRemovesOnlyWhatWasInstalled) {
  // Another program's entries and association, made before Lumora came.
  WriteString(kOtherUninstallKey, L"DisplayName", L"Other Viewer");
  WriteString(kOtherProgIdKey, nullptr, L"Other viewer picture");
  WriteString(kJpegClassKey, nullptr, L"OtherViewer.jpg");
  WriteString(L"Software\\Classes\\.jpg\\OpenWithProgids", L"OtherViewer.jpg", L"");
  const auto other_uninstall = Snapshot(kOtherUninstallKey);
  const auto other_prog_id = Snapshot(kOtherProgIdKey);
  const auto jpeg_class = Snapshot(kJpegClassKey);

  ASSERT_EQ(Install(setup_), 0);
  // A picture the user keeps in the program's folder.
  const std::wstring kept = Installed(L"scan.bmp");
  ASSERT_TRUE(test_support::WriteBitmap(kept));

  LumoraProcess viewer;
  StartViewer(&viewer);
  // The viewer starts the folder's tray program a second after it opened.
  WaitUntil([&] { return !test_support::ProcessesOf(Installed(L"LumoraTray.exe")).empty(); }, 5000);

  ASSERT_TRUE(Uninstall());
  EXPECT_TRUE(viewer.WaitForExit(0));
  EXPECT_TRUE(setup_plugin::CFolderProcesses(folder_).Running().empty());

  // The program, its shortcut, its entries, its association and its data are gone ...
  EXPECT_EQ(FilesBelow(folder_), std::vector<std::wstring>{L"scan.bmp"});
  EXPECT_FALSE(win_util::PathExists(Shortcut()));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_FALSE(KeyExists(kProductKey));
  EXPECT_FALSE(KeyExists(L"Software\\Classes\\Lumora.jpg"));
  EXPECT_FALSE(KeyExists(L"Software\\Classes\\Applications\\Lumora.exe"));
  // ... and the closing viewer did not write its settings back.
  EXPECT_FALSE(win_util::PathExists(DataFolderPath()));

  // ... while the user's pictures and the other program's entries stay.
  EXPECT_TRUE(win_util::PathExists(picture_));
  EXPECT_TRUE(win_util::PathExists(kept));
  EXPECT_EQ(Snapshot(kOtherUninstallKey), other_uninstall);
  EXPECT_EQ(Snapshot(kOtherProgIdKey), other_prog_id);
  EXPECT_EQ(Snapshot(kJpegClassKey), jpeg_class);
}

TEST_F(InstallerTest, PortableZipRunsFromAnyFolder) {
  const std::wstring unpacked = Env(L"LUMORA_TEST_PORTABLE");
  ASSERT_TRUE(win_util::PathExists(unpacked + L"\\Lumora.exe")) << unpacked;
  const std::vector<std::wstring> shipped = FilesBelow(stage_);
  EXPECT_EQ(FilesBelow(unpacked), shipped);

  for (const wchar_t* name : {L"Portable Lumora", L"\u770b\u56fe \u4fbf\u643a"}) {
    ScratchFolder place(L"portable");
    const std::wstring folder = place.File(name);
    ASSERT_TRUE(CopyTree(unpacked, folder)) << folder;
    LumoraProcess viewer;
    ASSERT_TRUE(viewer.Start(Quoted(picture_), folder + L"\\Lumora.exe"));
    ASSERT_NE(viewer.WaitForMainWindow(), nullptr) << folder;
    EXPECT_TRUE(WaitUntil([&] {
      return Contains(test_support::WindowCaption(viewer.main_window()), L"trip.bmp");
    })) << folder;
    viewer.Close();
    setup_plugin::CFolderProcesses(folder).EndAll(0);
  }
  // Running it installs nothing.
  EXPECT_FALSE(KeyExists(kUninstallKey));
  EXPECT_FALSE(win_util::PathExists(Shortcut()));
}

}  // namespace
