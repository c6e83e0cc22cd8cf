#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "integration/common_module.h"
#include "integration/companion_lib_wrapper.h"
#include "integration/stat_reporter.h"
#include "basic_lib/win_util.h"
#include "support/test_paths.h"

namespace {

std::wstring DistFolderWithSlash() { return test_support::DistFolder() + L"\\"; }

std::wstring DataFolder() {
  wchar_t app_data[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, app_data);
  return std::wstring(app_data) + L"\\Lumora\\";
}

// Puts a file back as it was (or removes it) when the test ends.
class FileRestorer {
 public:
  explicit FileRestorer(std::wstring path)
      : path_(std::move(path)),
        existed_(win_util::PathExists(path_)),
        bytes_(test_support::ReadFileBytes(path_)) {}
  ~FileRestorer() {
    if (existed_) {
      test_support::WriteFileBytes(path_, bytes_);
    } else {
      DeleteFileW(path_.c_str());
    }
  }

 private:
  std::wstring path_;
  bool existed_;
  std::string bytes_;
};

// The quick-index value common.dll keeps for the product word "lumora".
class QuickIndexRestorer {
 public:
  QuickIndexRestorer() {
    DWORD size = sizeof(value_);
    existed_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &value_,
                            &size) == ERROR_SUCCESS;
  }
  ~QuickIndexRestorer() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      return;
    }
    if (existed_) {
      RegSetValueExW(key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value_),
                     sizeof(value_));
    } else {
      RegDeleteValueW(key, kValue);
    }
    RegCloseKey(key);
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Lumora";
  static constexpr const wchar_t* kValue = L"quick_index";
  bool existed_ = false;
  DWORD value_ = 0;
};

TEST(CommonModule, LooksBesideTheProgramThenInTheParentFolder) {
  test_support::ScratchFolder scratch(L"common-lookup");
  const std::wstring program = scratch.path() + L"\\app\\";
  ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
  EXPECT_EQ(CCommonModule::CandidatePath(program), scratch.path() + L"\\common.dll");
  ASSERT_TRUE(test_support::WriteFileBytes(program + L"common.dll", "MZ"));
  EXPECT_EQ(CCommonModule::CandidatePath(program), program + L"common.dll");
}

// These run in order: the first loads the program folder's module, the
// others find it already loaded.
class LoadedCommonModule : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(GetModuleHandleW(L"common.dll"), nullptr);
    module_ = CCommonModule::Find(DistFolderWithSlash());
  }
  void SetUp() override { ASSERT_NE(module_, nullptr) << "no common.dll in the program folder"; }
  static HMODULE module_;
};

HMODULE LoadedCommonModule::module_ = nullptr;

TEST_F(LoadedCommonModule, AModuleAlreadyLoadedIsUsedWhereverTheProgramIs) {
  test_support::ScratchFolder elsewhere(L"common-elsewhere");
  EXPECT_EQ(CCommonModule::Find(elsewhere.path() + L"\\"), module_);
  // This test program's folder has no common.dll: Get would end the
  // process if it did not take the loaded one.
  EXPECT_EQ(CCommonModule::Get(), module_);
}

TEST_F(LoadedCommonModule, StatisticsStartOnceAndReachTheModule) {
  const std::wstring data = DataFolder();
  CreateDirectoryW(data.c_str(), nullptr);
  FileRestorer marker(data + L"main.log.on");
  FileRestorer stat_log(data + L"stat.log");
  DeleteFileW((data + L"stat.log").c_str());
  ASSERT_TRUE(test_support::WriteFileBytes(data + L"main.log.on", ""));

  EXPECT_FALSE(CStatReporter::IsStarted());
  EXPECT_FALSE(CStatReporter::Send(L"", L"open"));
  EXPECT_FALSE(CStatReporter::Send(L"main", L""));
  EXPECT_FALSE(CStatReporter::IsStarted());

  EXPECT_TRUE(CStatReporter::Send(L"main", L"open"));
  EXPECT_TRUE(CStatReporter::IsStarted());
  EXPECT_TRUE(CStatReporter::Send(L"feature", L"location"));
  const std::string log = test_support::ReadFileBytes(data + L"stat.log");
  EXPECT_NE(log.find("\tmain\topen\t1\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\tfeature\tlocation\t1\n"), std::string::npos) << log;
}

TEST_F(LoadedCommonModule, WrapperKeepsTheQuickIndexStateThroughSlotsFourAndFive) {
  QuickIndexRestorer restore;
  CCompanionLibWrapper wrapper(DistFolderWithSlash());
  ASSERT_TRUE(wrapper.IsAvailable());
  wrapper.SetQuickIndexState(0);
  EXPECT_EQ(wrapper.GetQuickIndexState(7), 0);
  wrapper.SetQuickIndexState(1);
  EXPECT_EQ(wrapper.GetQuickIndexState(7), 1);
}

TEST_F(LoadedCommonModule, WithoutCommonDllInTheProgramFolderThereIsNoWrapper) {
  test_support::ScratchFolder empty(L"common-none");
  CCompanionLibWrapper wrapper(empty.path() + L"\\");
  EXPECT_FALSE(wrapper.IsAvailable());
  EXPECT_EQ(wrapper.GetQuickIndexState(7), 7);
  wrapper.SetQuickIndexState(0);
}

}  // namespace
