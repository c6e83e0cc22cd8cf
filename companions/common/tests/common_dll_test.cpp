#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <cwctype>
#include <string>
#include <vector>

#include "integration/companion_entry_points.h"
#include "shared/companion_paths.h"
#include "shared/os_version.h"
#include "shared/reg_key.h"
#include "basic_lib/win_util.h"
#include "support/test_hive.h"
#include "support/test_paths.h"

namespace {

class CommonDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryW((test_support::DistFolder() + L"\\common.dll").c_str());
  }
  static void TearDownTestSuite() { FreeLibrary(module_); }

  void SetUp() override {
    ASSERT_NE(module_, nullptr) << "common.dll is not in the program folder";
  }

  template <class Fn>
  static Fn Entry(const char* name) {
    return win_util::GetProcAddressAs<Fn>(module_, name);
  }

  static HMODULE module_;
};

HMODULE CommonDll::module_ = nullptr;

// The names of the modules a loaded image imports.
std::vector<std::string> ImportedModules(HMODULE module) {
  std::vector<std::string> names;
  auto* base = reinterpret_cast<const BYTE*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) {
    return names;
  }
  for (auto* entry =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       entry->Name != 0; ++entry) {
    std::string name = reinterpret_cast<const char*>(base + entry->Name);
    for (char& c : name) {
      c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    names.push_back(name);
  }
  return names;
}

TEST_F(CommonDll, ExportsEveryEntryPointUnderItsPlainName) {
  for (const char* name :
       {"StartStat", "SendStatUrl", "WaitStatComplete", "GetOsVersion", "CreatePLibWrapper"}) {
    EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
  }
}

// Slots are called by index, as the viewer does, with the object first.
TEST_F(CommonDll, PLibWrapperSlotsInitialiseStoreAndReadTheQuickIndexState) {
  test_support::TestHive hive(L"common");
  auto create = Entry<CreatePLibWrapperFn>("CreatePLibWrapper");
  ASSERT_NE(create, nullptr);
  void* object = create();
  ASSERT_NE(object, nullptr);
  void** slots = *static_cast<void***>(object);
  auto initialise = reinterpret_cast<int(__stdcall*)(void*, int, const wchar_t*, int)>(slots[0]);
  auto set_state = reinterpret_cast<void(__stdcall*)(void*, int)>(slots[4]);
  auto get_state = reinterpret_cast<int(__stdcall*)(void*)>(slots[5]);
  auto release = reinterpret_cast<void(__stdcall*)(void*)>(slots[1]);

  EXPECT_EQ(initialise(object, 0, L"..\\elsewhere", 0), 0);
  EXPECT_NE(initialise(object, 0, L"lumora", 0), 0);
  // Never set: on.
  EXPECT_EQ(get_state(object), 1);
  set_state(object, 0);
  EXPECT_EQ(get_state(object), 0);

  companion::CRegKey key;
  DWORD stored = 99;
  ASSERT_TRUE(key.Open(hive.root(), L"Software\\Lumora"));
  ASSERT_TRUE(key.GetDword(L"quick_index", &stored));
  EXPECT_EQ(stored, 0u);

  set_state(object, 5);
  EXPECT_EQ(get_state(object), 1);
  release(object);

  // A new object reads what the previous one stored.
  void* second = create();
  ASSERT_NE(second, nullptr);
  void** second_slots = *static_cast<void***>(second);
  reinterpret_cast<int(__stdcall*)(void*, int, const wchar_t*, int)>(second_slots[0])(second, 0,
                                                                                      L"lumora", 0);
  set_state(second, 0);
  EXPECT_EQ(reinterpret_cast<int(__stdcall*)(void*)>(second_slots[5])(second), 0);
  reinterpret_cast<void(__stdcall*)(void*)>(second_slots[1])(second);
}

TEST_F(CommonDll, OsVersionDescribesTheRunningSystem) {
  auto get_os_version = Entry<GetOsVersionFn>("GetOsVersion");
  ASSERT_NE(get_os_version, nullptr);
  const wchar_t* text = get_os_version();
  ASSERT_NE(text, nullptr);
  const std::wstring description = text;
  const companion::OsVersion v = companion::GetOsVersionInfo();
  ASSERT_GT(v.major, 0u);
  const std::wstring numbers =
      std::to_wstring(v.major) + L"." + std::to_wstring(v.minor) + L"." + std::to_wstring(v.build);
  EXPECT_NE(description.find(L"Windows"), std::wstring::npos);
  EXPECT_NE(description.find(numbers), std::wstring::npos);
  EXPECT_NE(description.find(L"-bit"), std::wstring::npos);
  EXPECT_EQ(get_os_version(), text);
}

class StatLog {
 public:
  StatLog() : folder_(companion::DataFolder()) {
    companion::EnsureFolder(folder_);
    marker_existed_ = win_util::PathExists(Marker());
    log_existed_ = win_util::PathExists(Log());
    original_ = test_support::ReadFileBytes(Log());
  }
  ~StatLog() {
    SetMarker(marker_existed_);
    if (log_existed_) {
      test_support::WriteFileBytes(Log(), original_);
    } else {
      DeleteFileW(Log().c_str());
    }
  }
  void SetMarker(bool present) {
    if (present) {
      test_support::WriteFileBytes(Marker(), "");
    } else {
      DeleteFileW(Marker().c_str());
    }
  }
  // What was appended since the test began.
  std::string Added() const { return test_support::ReadFileBytes(Log()).substr(original_.size()); }

 private:
  std::wstring Marker() const { return folder_ + L"main.log.on"; }
  std::wstring Log() const { return folder_ + L"stat.log"; }

  std::wstring folder_;
  bool marker_existed_;
  bool log_existed_;
  std::string original_;
};

TEST_F(CommonDll, StatisticsStayLocalAndAreWrittenOnlyWithTheLogMarker) {
  auto start = Entry<StartStatFn>("StartStat");
  auto send = Entry<SendStatUrlFn>("SendStatUrl");
  auto wait = Entry<WaitStatCompleteFn>("WaitStatComplete");
  ASSERT_TRUE(start && send && wait);
  StatLog log;

  log.SetMarker(false);
  start();
  EXPECT_EQ(send(L"main", L"open"), 1);
  EXPECT_EQ(send(L"", L"open"), 0);
  EXPECT_EQ(send(L"feature", L""), 0);
  EXPECT_EQ(send(nullptr, L"open"), 0);
  wait(2000);
  EXPECT_EQ(log.Added(), "");

  // The marker is looked for when statistics start.
  log.SetMarker(true);
  start();
  EXPECT_EQ(send(L"feature", L"enhance"), 1);
  EXPECT_EQ(send(L"feature", L"enhance"), 1);
  EXPECT_EQ(send(L"main", L"open_\u6d4b\ttab"), 1);
  wait(2000);
  const std::string added = log.Added();
  EXPECT_NE(added.find("\tfeature\tenhance\t1\n"), std::string::npos) << added;
  EXPECT_NE(added.find("\tfeature\tenhance\t2\n"), std::string::npos) << added;
  EXPECT_NE(added.find("\tmain\topen_\xe6\xb5\x8b tab\t1\n"), std::string::npos) << added;
  EXPECT_EQ(added.find("\tmain\topen\t"), std::string::npos) << added;

  // Nothing here talks to the network.
  for (const std::string& name : ImportedModules(module_)) {
    for (const char* network : {"ws2_32.dll", "wsock32.dll", "winhttp.dll", "wininet.dll",
                                "urlmon.dll", "iphlpapi.dll"}) {
      EXPECT_NE(name, network);
    }
  }
  for (const wchar_t* network : {L"ws2_32.dll", L"wsock32.dll", L"winhttp.dll", L"wininet.dll"}) {
    EXPECT_EQ(GetModuleHandleW(network), nullptr) << "loaded: " << network;
  }
}

}  // namespace
