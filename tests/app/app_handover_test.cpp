// A second start of the viewer: what it hands over to a running one, and
// what a running one takes from other processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_names.h"
#include "support/app_helpers.h"
#include "app/ipc/channel.h"
#include "app/ipc/channel_names.h"
#include "main_messages.h"
#include "resource_ids.h"
#include "support/app_driver.h"
#include "support/test_paths.h"

namespace {

using test_support::Contains;
using test_support::FindMessageWindow;
using test_support::LumoraProcess;
using test_support::Quoted;
using test_support::WaitUntil;
using test_support::WindowCaption;

class HandOver : public ::testing::Test {
 protected:
  HandOver() : pictures_(L"handover") {
    for (const wchar_t* name : {L"a.bmp", L"b.bmp", L"c.bmp"}) {
      test_support::WriteBitmap(pictures_.File(name));
    }
  }
  void SetUp() override { ASSERT_FALSE(FindMessageWindow(kAlwaysWindowName)) << "a viewer runs"; }

  std::wstring Picture(const wchar_t* name) const { return pictures_.File(name); }

  // Starts a viewer and waits for its main window and caption.
  void StartViewer(LumoraProcess& viewer, const std::wstring& arguments,
                   const std::wstring& caption_part) {
    ASSERT_TRUE(viewer.Start(arguments));
    ASSERT_NE(viewer.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(WaitUntil([&] {
      return Contains(WindowCaption(viewer.main_window()), caption_part);
    })) << WindowCaption(viewer.main_window());
  }

  // A start that hands its request over ends by itself with code 0.
  static void ExpectHandedOver(const std::wstring& arguments) {
    LumoraProcess second;
    ASSERT_TRUE(second.Start(arguments));
    DWORD code = 1;
    ASSERT_TRUE(second.WaitForExit(20000, &code)) << "the second viewer did not end";
    EXPECT_EQ(code, 0u);
  }

  test_support::SettingsGuard settings_;
  test_support::ScratchFolder pictures_;
};

TEST_F(HandOver, WithOnlyOneInstanceASecondStartHandsItsRequestToTheRunningViewer) {
  settings_.Set(L"only_one_instance", L"1");
  LumoraProcess first;
  StartViewer(first, L"", L"Lumora");
  EXPECT_NE(FindMessageWindow(kInstanceWindowName), nullptr);

  ExpectHandedOver(Quoted(Picture(L"b.bmp")));
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"b.bmp"); }))
      << WindowCaption(first.main_window());

  // A start without a picture only brings the running viewer to the front.
  ShowWindow(first.main_window(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.main_window()) != FALSE; }));
  ExpectHandedOver(L"");
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.main_window()); }));
  EXPECT_TRUE(Contains(WindowCaption(first.main_window()), L"b.bmp"));
}

TEST_F(HandOver, WithoutOnlyOneInstanceOnlyAViewerShowingNoPictureTakesIt) {
  LumoraProcess first;
  StartViewer(first, L"", L"Lumora");
  EXPECT_EQ(FindMessageWindow(kInstanceWindowName), nullptr);

  ExpectHandedOver(Quoted(Picture(L"b.bmp")));
  ASSERT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"b.bmp"); }));

  // The first viewer shows a picture now: the next start is a viewer of its own.
  LumoraProcess second;
  StartViewer(second, Quoted(Picture(L"c.bmp")), L"c.bmp");
  EXPECT_NE(second.main_window(), first.main_window());
  EXPECT_TRUE(Contains(WindowCaption(first.main_window()), L"b.bmp"));
}

TEST_F(HandOver, ARelativePictureNameIsFoundFromTheFolderOfTheSecondStart) {
  // The running viewer works in another folder than the second start.
  test_support::ScratchFolder elsewhere(L"handover-home");
  for (const wchar_t* only_one : {L"1", L"0"}) {
    SCOPED_TRACE(only_one);
    settings_.Set(L"only_one_instance", only_one);
    LumoraProcess first;
    ASSERT_TRUE(first.Start(L"", std::wstring(), elsewhere.path()));
    ASSERT_NE(first.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"Lumora"); }));

    LumoraProcess second;
    ASSERT_TRUE(second.Start(L"c.bmp", std::wstring(), pictures_.path()));
    DWORD code = 1;
    ASSERT_TRUE(second.WaitForExit(20000, &code)) << "the second viewer did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"c.bmp"); }))
        << WindowCaption(first.main_window());
  }
}

TEST_F(HandOver, AFolderHandedOverOpensItsFirstPicture) {
  LumoraProcess first;
  StartViewer(first, L"", L"Lumora");
  ExpectHandedOver(Quoted(pictures_.path()));
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"a.bmp"); }))
      << WindowCaption(first.main_window());
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"[1/3]"); }))
      << WindowCaption(first.main_window());
}

TEST_F(HandOver, SwitchesReachTheAlwaysWindowOfAViewerShowingAPicture) {
  LumoraProcess first;
  StartViewer(first, Quoted(Picture(L"a.bmp")), L"a.bmp");
  ASSERT_NE(FindMessageWindow(kAlwaysWindowName), nullptr);

  ShowWindow(first.main_window(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.main_window()) != FALSE; }));
  ExpectHandedOver(L"--show-existing");
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.main_window()); }));

  for (const wchar_t* arguments : {L"--setting", L"/LockscreenSet --from=tray"}) {
    SCOPED_TRACE(arguments);
    ExpectHandedOver(arguments);
  }
  EXPECT_TRUE(Contains(WindowCaption(first.main_window()), L"a.bmp"));
  first.Close();

  // With nobody to take it, the switch starts a viewer of its own.
  LumoraProcess alone;
  StartViewer(alone, L"--show-existing", L"Lumora");
}

TEST_F(HandOver, AViewerThatIsClosingDoesNotTakeTheRequest) {
  settings_.Set(L"only_one_instance", L"1");
  settings_.Set(L"completely_exit", L"1");
  // The closing viewer waits for this before its last decision, so it is
  // still there, closing, when the second start asks it.
  test_support::HeldMutex exit_mutex(L"LmMainExitMutex-ad756f18033b6ea0", true);
  LumoraProcess first;
  StartViewer(first, L"", L"Lumora");
  PostMessageW(first.main_window(), WM_COMMAND, IDC_CLOSE_BUTTON, 0);
  test_support::PumpFor(500);
  ASSERT_FALSE(first.WaitForExit(0));

  LumoraProcess second;
  ASSERT_TRUE(second.Start(Quoted(Picture(L"b.bmp"))));
  test_support::PumpFor(1500);
  exit_mutex.Release();
  DWORD code = 1;
  EXPECT_TRUE(first.WaitForExit(15000, &code));
  EXPECT_EQ(code, 0u);
  ASSERT_NE(second.WaitForMainWindow(20000), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(second.main_window()), L"b.bmp"); }));
}

TEST_F(HandOver, MalformedRecordsAreAnsweredSafely) {
  LumoraProcess first;
  StartViewer(first, L"", L"Lumora");
  const HWND targets[] = {first.main_window(), FindMessageWindow(kAlwaysWindowName)};
  ASSERT_NE(targets[1], nullptr);
  const std::wstring text = L"--show-existing";
  for (HWND target : targets) {
    EXPECT_EQ(test_support::SendCopyData(target, kHandOverTag, nullptr, 0), 0);
    EXPECT_EQ(test_support::SendCopyData(target, 0x1234, text.c_str(), 32), 0);
    EXPECT_EQ(test_support::SendCopyData(target, kHandOverTag, text.c_str(), 1), 1);
  }

  // A path without its terminating zero, cut at an odd size.
  const std::wstring a = Picture(L"a.bmp");
  const DWORD a_bytes = static_cast<DWORD>(a.size() * 2 + 1);
  EXPECT_EQ(test_support::SendCopyData(targets[1], kHandOverTag, a.c_str(), a_bytes), 1);
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"a.bmp"); }));

  // Text after the first zero is not read.
  std::wstring b = Picture(L"b.bmp");
  b.push_back(L'\0');
  b += L"garbage";
  EXPECT_EQ(test_support::SendCopyData(targets[0], kHandOverTag, b.c_str(),
                                       static_cast<DWORD>(b.size() * 2)),
            1);
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"b.bmp"); }));

  // A megabyte of text naming nothing only brings the window forward.
  const std::wstring megabyte(512 * 1024, L'x');
  EXPECT_EQ(test_support::SendCopyData(targets[0], kHandOverTag, megabyte.c_str(),
                                       static_cast<DWORD>((megabyte.size() + 1) * 2)),
            1);
  // Larger records may not even arrive (Wine drops them); either way the
  // viewer goes on.
  const std::wstring huge(8 * 1024 * 1024, L'x');
  test_support::SendCopyData(targets[0], kHandOverTag, huge.c_str(),
                             static_cast<DWORD>((huge.size() + 1) * 2), 2000);
  const std::wstring c = Picture(L"c.bmp");
  EXPECT_EQ(test_support::SendCopyData(targets[1], kHandOverTag, c.c_str(),
                                       static_cast<DWORD>((c.size() + 1) * 2)),
            1);
  EXPECT_TRUE(WaitUntil([&] { return Contains(WindowCaption(first.main_window()), L"c.bmp"); }));
  EXPECT_FALSE(first.WaitForExit(0));
}

// Stands in for the tray program: serves the channel and records what the
// viewers send it.
class FakeTray : public IChannelListener {
 public:
  FakeTray() : mutex_(L"LmTrayUpgradePrivilegeName-d7a77ee6517af62d", false) {
    connected = channel_.Connect(IPC::kTrayChannelName, false);
    channel_.AddListener(this);
  }
  ~FakeTray() override {
    channel_.RemoveListener(this);
    channel_.Close();
  }
  void OnMessageReceived(const IPC::Message& message) override {
    received.push_back(message.type());
    PickleIterator reader(message);
    int32_t value = -1;
    last_value = reader.ReadInt(&value) ? value : -1;
  }
  int32_t GetRoutingId() override { return IPC::kTrayRoutingId; }

  // The channel window of one viewer process.
  static HWND ClientOf(DWORD pid) {
    const std::wstring name = IPC::ChannelWindowName(IPC::kTrayChannelName, true);
    for (HWND window = IPC::FindChannelWindow(name); window;
         window = IPC::FindChannelWindow(name, window)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == pid) {
        return window;
      }
    }
    return nullptr;
  }

  bool connected = false;
  std::vector<uint32_t> received;
  int32_t last_value = -1;

 private:
  // The viewer does not start the real tray program while this exists.
  test_support::HeldMutex mutex_;
  CChannel channel_;
};

LRESULT SendChannelBytes(HWND client, const void* bytes, DWORD size, ULONG_PTR delivery) {
  return test_support::SendCopyData(client, delivery, bytes, size);
}

LRESULT SendChannelMessage(HWND client, int32_t routing, uint32_t type) {
  const IPC::Message message(routing, type, IPC::kViewerMessagePriority);
  return SendChannelBytes(client, message.data(), static_cast<DWORD>(message.size()),
                          IPC::kDeliverAfterReturn);
}

TEST_F(HandOver, TheTrayProgramsQuitMessageClosesOnlyWhenRoutedToTheMainWindow) {
  test_support::RegistryValueRestorer quick_index(L"Software\\Lumora", L"quick_index");
  FakeTray tray;
  ASSERT_TRUE(tray.connected);
  LumoraProcess first;
  StartViewer(first, L"", L"Lumora");
  HWND client = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (client = FakeTray::ClientOf(first.pid())) != nullptr; }));

  // Quit messages whose header does not fit their length are not acted on.
  const uint32_t short_header[] = {4, 2, IPC::kTrayQuit, 0};
  const uint32_t huge_payload[] = {0xFFFFFFF0u, 2, IPC::kTrayQuit, 0};
  const uint32_t odd_header[] = {3, 2, IPC::kTrayQuit, 0, 0};
  const uint32_t no_room[] = {0, 2, IPC::kTrayQuit};
  struct Bytes {
    const void* data;
    DWORD size;
  } malformed[] = {{short_header, sizeof(short_header)},
                   {huge_payload, sizeof(huge_payload)},
                   {odd_header, sizeof(odd_header)},
                   {no_room, sizeof(no_room)},
                   {short_header, 3}};
  for (ULONG_PTR delivery : {IPC::kDeliverAfterReturn, IPC::kDeliverBeforeReturn}) {
    for (const Bytes& bytes : malformed) {
      SendChannelBytes(client, bytes.data, bytes.size, delivery);
    }
  }
  // A quit for the tray program's own listener is not the window's.
  EXPECT_NE(SendChannelMessage(client, IPC::kTrayRoutingId, IPC::kTrayQuit), 0);
  test_support::PumpFor(800);
  ASSERT_FALSE(first.WaitForExit(0));

  // The settings dialog's quick-index change reaches the tray program.
  PostMessageW(first.main_window(), UM_QUICK_INDEX_CHANGED, 0, 1);
  ASSERT_TRUE(WaitUntil([&] { return !tray.received.empty(); }));
  EXPECT_EQ(tray.received, std::vector<uint32_t>{IPC::kTrayQuickIndex});
  EXPECT_EQ(tray.last_value, 1);

  EXPECT_NE(SendChannelMessage(client, IPC::kMainWindowRoutingId, IPC::kTrayQuit), 0);
  DWORD code = 1;
  EXPECT_TRUE(first.WaitForExit(10000, &code));
  EXPECT_EQ(code, 0u);

  // A broadcast reaches every listener, the window among them.
  LumoraProcess second;
  StartViewer(second, L"", L"Lumora");
  ASSERT_TRUE(WaitUntil([&] { return (client = FakeTray::ClientOf(second.pid())) != nullptr; }));
  EXPECT_NE(SendChannelMessage(client, 0, IPC::kTrayQuit), 0);
  EXPECT_TRUE(second.WaitForExit(10000, &code));
}

}  // namespace
