#include "integration/default_viewer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/ipc/channel_names.h"
#include "config/app_config.h"
#include "main_messages.h"
#include "support/config_sandbox.h"
#include "support/test_hive.h"
#include "support/test_paths.h"

namespace {

using test_support::ConfigSandbox;
using test_support::DistFolder;
using test_support::ScratchFolder;
using test_support::TestHive;

const wchar_t kFileExts[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.";

void SetUserChoice(HKEY root, const std::wstring& extension, DWORD type, const void* data,
                   DWORD size) {
  HKEY key = nullptr;
  const std::wstring path = kFileExts + extension + L"\\UserChoice";
  ASSERT_EQ(
      RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, L"ProgId", 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void SetUserChoice(HKEY root, const std::wstring& extension, const std::wstring& prog_id) {
  SetUserChoice(root, extension, REG_SZ, prog_id.c_str(),
                static_cast<DWORD>((prog_id.size() + 1) * sizeof(wchar_t)));
}

bool KeyExists(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// A user's registry has a classes key from the start.
void SeedUserClasses(HKEY root) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST(DefaultViewerIsAssociated, OnlyTheUsersChoiceOfThisViewerCountsIgnoringCase) {
  TestHive hive(L"isassoc");
  EXPECT_FALSE(default_viewer::IsAssociated(L"jpg")) << "no choice at all";

  // The class default is not the user's choice.
  HKEY classes = nullptr;
  ASSERT_EQ(RegCreateKeyExW(hive.root(), L"Software\\Classes\\.gif", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &classes, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(classes, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Lumora.gif"),
                 sizeof(L"Lumora.gif"));
  RegCloseKey(classes);

  SetUserChoice(hive.root(), L"jpg", L"OtherViewer.jpg");
  SetUserChoice(hive.root(), L"png", L"LUMORA.PNG");
  SetUserChoice(hive.root(), L"bmp", L"Lumora.bmp2");
  SetUserChoice(hive.root(), L"tif", L"Lumora.tiff");
  SetUserChoice(hive.root(), L"webp", L"Lumora.webp");
  const DWORD number = 1;
  SetUserChoice(hive.root(), L"ico", REG_DWORD, &number, sizeof(number));
  // Longer than the 260 bytes read back.
  SetUserChoice(hive.root(), L"psd", L"Lumora.psd" + std::wstring(130, L' '));
  SetUserChoice(hive.root(), L"tga", L"");

  const struct {
    const wchar_t* extension;
    bool associated;
  } cases[] = {{L"jpg", false}, {L"png", true},  {L"PNG", true},  {L"bmp", false},
               {L"tif", false}, {L"webp", true}, {L"gif", false}, {L"ico", false},
               {L"psd", false}, {L"tga", false}, {L"", false},    {L"png\\..\\png", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(default_viewer::IsAssociated(c.extension), c.associated) << c.extension;
  }
}

// What the tray program was sent.
struct TrayRecord {
  uint32_t type = 0;
  int32_t routing = 0;
  std::string text;
  int32_t value = -1;
};

// Holds the association mutex on a thread of its own while it exists.
class MutexHolder {
 public:
  MutexHolder()
      : taken_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        thread_([this] {
          HANDLE mutex = CreateMutexA(nullptr, FALSE, default_viewer::kAssociationMutexName);
          held_ = WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0;
          SetEvent(taken_);
          WaitForSingleObject(done_, INFINITE);
          if (held_) {
            ReleaseMutex(mutex);
          }
          CloseHandle(mutex);
        }) {
    WaitForSingleObject(taken_, INFINITE);
  }
  ~MutexHolder() {
    SetEvent(done_);
    thread_.join();
    CloseHandle(taken_);
    CloseHandle(done_);
  }
  MutexHolder(const MutexHolder&) = delete;
  MutexHolder& operator=(const MutexHolder&) = delete;
  bool held() const { return held_; }

 private:
  HANDLE taken_;
  HANDLE done_;
  bool held_ = false;
  std::thread thread_;
};

class DefaultViewerFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    SeedUserClasses(hive_.root());
    config_ = sandbox_.MakeConfig();
    window_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override { DestroyWindow(window_); }

  default_viewer::TraySender Sender() {
    return [this](const IPC::Message& message) {
      TrayRecord record;
      record.type = message.type();
      record.routing = message.routing_id();
      PickleIterator reader(message);
      EXPECT_TRUE(reader.ReadString(&record.text));
      EXPECT_TRUE(reader.ReadInt(&record.value));
      EXPECT_TRUE(reader.AtEnd());
      sent_.push_back(record);
    };
  }

  // Takes the prompt messages posted to the window.
  int TakePrompts() {
    int count = 0;
    MSG msg;
    while (PeekMessageW(&msg, window_, UM_DEFAULT_VIEWER_PROMPT, UM_DEFAULT_VIEWER_PROMPT,
                        PM_REMOVE)) {
      ++count;
    }
    return count;
  }

  // Runs the check thread to its end; false when it was skipped.
  bool RunCheck(const CAssociationModule& module) {
    CStartDefaultViewerCheck check;
    const bool started = check.Start(window_, config_.get(), module);
    EXPECT_EQ(check.started(), started);
    check.Wait();
    EXPECT_FALSE(check.started());
    return started;
  }

  int SavedNumber(const wchar_t* key) const {
    return GetPrivateProfileIntW(L"app", key, -1, sandbox_.settings_file().c_str());
  }

  TestHive hive_{L"defaultviewer"};
  ConfigSandbox sandbox_{L"defaultviewer"};
  std::unique_ptr<CAppConfig> config_;
  HWND window_ = nullptr;
  std::vector<TrayRecord> sent_;
  const CAssociationModule module_{DistFolder()};
};

TEST_F(DefaultViewerFlow, CheckFollowsTheModuleAndPromptsOnlyWhenNotDefaultAndStillWanted) {
  config_->set_default_viewer = 1;
  ASSERT_TRUE(RunCheck(module_));
  EXPECT_EQ(config_->set_default_viewer, 0);
  EXPECT_EQ(TakePrompts(), 1);

  config_->set_default_viewer = 1;
  config_->default_viewer_start_tip = 0;
  ASSERT_TRUE(RunCheck(module_));
  EXPECT_EQ(config_->set_default_viewer, 0) << "the state follows the check without a prompt";
  EXPECT_EQ(TakePrompts(), 0);

  config_->default_viewer_start_tip = 1;
  default_viewer::SetDefaultViewer(1, *config_, module_, Sender());
  ASSERT_TRUE(RunCheck(module_));
  EXPECT_EQ(config_->set_default_viewer, 1);
  EXPECT_EQ(TakePrompts(), 0);
  default_viewer::SetDefaultViewer(0, *config_, module_, Sender());
}

TEST_F(DefaultViewerFlow, SetDefaultViewerRecordsTheChoiceChangesTheUsersRegistryAndTellsTheTray) {
  default_viewer::SetDefaultViewer(1, *config_, module_, Sender());
  EXPECT_EQ(config_->user_set_default_viewer, 1);
  EXPECT_EQ(SavedNumber(L"user_set_default_viewer"), 1);
  EXPECT_TRUE(KeyExists(hive_.root(), L"Software\\Classes\\Lumora.jpg"));
  EXPECT_EQ(module_.IsAssociationOK(), 1);

  default_viewer::SetDefaultViewer(0, *config_, module_, Sender());
  EXPECT_EQ(config_->user_set_default_viewer, 0);
  EXPECT_EQ(SavedNumber(L"user_set_default_viewer"), 0);
  EXPECT_FALSE(KeyExists(hive_.root(), L"Software\\Classes\\Lumora.jpg"));
  EXPECT_EQ(module_.IsAssociationOK(), 0);

  ASSERT_EQ(sent_.size(), 2u);
  for (size_t i = 0; i < sent_.size(); ++i) {
    EXPECT_EQ(sent_[i].type, static_cast<uint32_t>(IPC::kTrayAssociation));
    EXPECT_EQ(sent_[i].routing, IPC::kTrayRoutingId);
    EXPECT_EQ(sent_[i].text, "open");
    EXPECT_EQ(sent_[i].value, i == 0 ? 1 : 0);
  }
}

TEST_F(DefaultViewerFlow, AcceptedPromptForgetsTheTypeChoicesAndMakesTheViewerTheDefault) {
  const std::wstring user_assoc = sandbox_.folder().File(L"data\\user_assoc.ini");
  ASSERT_TRUE(WritePrivateProfileStringW(L"app", L"gif", L"x", user_assoc.c_str()));
  const std::wstring other = sandbox_.folder().File(L"data\\keep.ini");
  ASSERT_TRUE(test_support::WriteFileBytes(other, "[app]\r\n"));

  default_viewer::AcceptStartPrompt(*config_, module_, Sender());
  EXPECT_EQ(GetFileAttributesW(user_assoc.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(other.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(config_->set_default_viewer, 1);
  EXPECT_EQ(SavedNumber(L"set_default_viewer"), 1);
  EXPECT_EQ(SavedNumber(L"user_set_default_viewer"), 1);
  EXPECT_EQ(module_.IsAssociationOK(), 1);
  ASSERT_EQ(sent_.size(), 1u);
  EXPECT_EQ(sent_[0].value, 1);
  module_.UnInstall();
}

TEST_F(DefaultViewerFlow, WithoutTheModuleOrItsEntryPointsTheCheckSaysDefaultAndChoicesOnlyRecord) {
  ScratchFolder empty(L"no-assoc-module");
  ScratchFolder wrong(L"wrong-assoc-module");
  // A module of that name without the entry points.
  ASSERT_TRUE(CopyFileW((DistFolder() + L"\\common.dll").c_str(),
                        wrong.File(L"ZidizOdera.dll").c_str(), FALSE));
  for (const ScratchFolder* folder : {&empty, &wrong}) {
    SCOPED_TRACE(testing::Message() << folder->path().c_str());
    const CAssociationModule module(folder->path());
    const auto before = test_support::SnapshotRegistry(hive_.root());

    config_->set_default_viewer = 0;
    ASSERT_TRUE(RunCheck(module));
    EXPECT_EQ(config_->set_default_viewer, 1);
    EXPECT_EQ(TakePrompts(), 0);

    sent_.clear();
    EXPECT_FALSE(module.SetDefaultImageViewer());
    default_viewer::SetDefaultViewer(1, *config_, module, Sender());
    EXPECT_EQ(SavedNumber(L"user_set_default_viewer"), 1);
    default_viewer::SetDefaultViewer(0, *config_, module, Sender());
    EXPECT_EQ(SavedNumber(L"user_set_default_viewer"), 0);
    ASSERT_EQ(sent_.size(), 2u);
    EXPECT_EQ(sent_[0].value, 1);
    EXPECT_EQ(sent_[1].value, 0);
    EXPECT_EQ(test_support::SnapshotRegistry(hive_.root()), before);
  }
}

TEST_F(DefaultViewerFlow, CheckIsSkippedWhileAnotherProcessHoldsTheMutexAndGivesItBackAfterwards) {
  config_->set_default_viewer = 1;
  {
    // Held by another thread, as another process would: the check never runs.
    MutexHolder holder;
    ASSERT_TRUE(holder.held());
    EXPECT_FALSE(RunCheck(module_));
  }
  EXPECT_EQ(config_->set_default_viewer, 1);
  EXPECT_EQ(TakePrompts(), 0);

  ASSERT_TRUE(RunCheck(module_));
  EXPECT_EQ(config_->set_default_viewer, 0);
  EXPECT_EQ(TakePrompts(), 1);
  // Free again once the check has ended: "/install" elsewhere must not wait
  // for this viewer's life.
  {
    MutexHolder after;
    EXPECT_TRUE(after.held());
  }

  // A second start of the same check object is refused while one is kept.
  CStartDefaultViewerCheck check;
  ASSERT_TRUE(check.Start(window_, config_.get(), module_));
  EXPECT_FALSE(check.Start(window_, config_.get(), module_));
  check.Wait();
  TakePrompts();
}

}  // namespace
