#include "app/ipc/ipc_receiver.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/app_names.h"
#include "app/ipc/channel_names.h"
#include "app/ipc/ipc_message_mgr.h"
#include "framework/win_app.h"
#include "framework/wnd.h"

namespace {

// Stands in for the main window: records what the receivers send on.
class FakeMainWindow : public CWnd {
 public:
  FakeMainWindow() {
    CreateArgs args;
    args.class_name = L"LumoraTestFakeMain";
    args.style = WS_OVERLAPPED;
    args.rect = {0, 0, 10, 10};
    Create(args);
  }
  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_COPYDATA) {
      ++received;
      last_wparam = wparam;
      last_lparam = lparam;
      return answer;
    }
    return CWnd::WindowProc(message, wparam, lparam);
  }

  int received = 0;
  WPARAM last_wparam = 0;
  LPARAM last_lparam = 0;
  LRESULT answer = 1;
};

class TestApp : public CWinApp {
 public:
  TestApp() : CWinApp(L"test") {}
};

HWND FindReceiver(const wchar_t* name) {
  return FindWindowExW(HWND_MESSAGE, nullptr, nullptr, name);
}

LRESULT SendRecord(HWND receiver, WPARAM wparam, COPYDATASTRUCT* record) {
  return SendMessageW(receiver, WM_COPYDATA, wparam, reinterpret_cast<LPARAM>(record));
}

TEST(HandOverReceivers, AreMessageOnlyWindowsWithTheirFixedNames) {
  {
    CIPCReceiver instance;
    CIPCAlwaysReceiver always;
    ASSERT_NE(instance.hwnd, nullptr);
    ASSERT_NE(always.hwnd, nullptr);
    EXPECT_EQ(FindReceiver(kInstanceWindowName), instance.hwnd);
    EXPECT_EQ(FindReceiver(kAlwaysWindowName), always.hwnd);
    wchar_t class_name[64] = {};
    GetClassNameW(instance.hwnd, class_name, 64);
    EXPECT_EQ(std::wstring(class_name).rfind(L"rodadad_msgwnd_", 0), 0u) << class_name;
    EXPECT_EQ(GetAncestor(instance.hwnd, GA_PARENT), GetAncestor(always.hwnd, GA_PARENT));
  }
  EXPECT_EQ(FindReceiver(kInstanceWindowName), nullptr);
  EXPECT_EQ(FindReceiver(kAlwaysWindowName), nullptr);
}

TEST(HandOverReceivers, SendTheRecordOnToTheMainWindowAndReturnItsAnswer) {
  TestApp app;
  FakeMainWindow main;
  CIPCReceiver instance;
  CIPCAlwaysReceiver always;
  wchar_t text[] = L"C:\\p.jpg";
  COPYDATASTRUCT record = {kHandOverTag, sizeof(text), text};

  // Without a main window nobody takes the request.
  EXPECT_EQ(SendRecord(instance.hwnd, 0x1234, &record), 0);
  EXPECT_EQ(main.received, 0);

  app.main_window = &main;
  main.answer = 1;
  EXPECT_EQ(SendRecord(instance.hwnd, 0x1234, &record), 1);
  EXPECT_EQ(main.last_wparam, 0x1234u);
  EXPECT_EQ(main.last_lparam, reinterpret_cast<LPARAM>(&record));

  main.answer = 0;
  EXPECT_EQ(SendRecord(always.hwnd, 0x1234, &record), 0);
  EXPECT_EQ(main.last_wparam, 0u);
  EXPECT_EQ(main.received, 2);

  // Other messages are not passed on.
  SendMessageW(always.hwnd, WM_USER + 5, 1, 2);
  EXPECT_EQ(main.received, 2);
  app.main_window = nullptr;
}

TEST(TrayChannel, ViewerMessagesAreRoutedToTheTrayProgram) {
  const IPC::Message message = CIPCMessageMgr::TrayMessage(IPC::kTrayQuit);
  EXPECT_EQ(message.routing_id(), IPC::kTrayRoutingId);
  EXPECT_EQ(message.type(), static_cast<uint32_t>(IPC::kTrayQuit));
  EXPECT_EQ(message.priority(), IPC::kViewerMessagePriority);
  EXPECT_EQ(message.size(), 16u);
}

TEST(TrayChannel, WithoutTheTrayProgramTheViewerConnectsAndItsSendsReportFalse) {
  if (IPC::FindChannelWindow(IPC::ChannelWindowName(IPC::kTrayChannelName, false))) {
    GTEST_SKIP() << "a tray program runs";
  }
  CIPCMessageMgr manager;
  ASSERT_TRUE(manager.Connect());
  const std::wstring client = IPC::ChannelWindowName(IPC::kTrayChannelName, true);
  EXPECT_EQ(IPC::FindChannelWindow(client), manager.channel().own_window());
  IPC::Message quick_index = CIPCMessageMgr::TrayMessage(IPC::kTrayQuickIndex);
  quick_index.WriteInt(1);
  EXPECT_FALSE(manager.Send(quick_index));
  manager.Close();
  EXPECT_FALSE(manager.Send(quick_index));
}

TEST(TrayChannel, AServerThatAppearsLaterReceivesTheViewersMessages) {
  class Recorder : public IChannelListener {
   public:
    void OnMessageReceived(const IPC::Message& message) override {
      types.push_back(message.type());
    }
    int32_t GetRoutingId() override { return IPC::kTrayRoutingId; }
    std::vector<uint32_t> types;
  };
  if (IPC::FindChannelWindow(IPC::ChannelWindowName(IPC::kTrayChannelName, false))) {
    GTEST_SKIP() << "a tray program runs";
  }
  CIPCMessageMgr manager;
  ASSERT_TRUE(manager.Connect());
  CChannel tray;
  Recorder recorder;
  ASSERT_TRUE(tray.Connect(IPC::kTrayChannelName, false));
  tray.AddListener(&recorder);
  IPC::Message quick_index = CIPCMessageMgr::TrayMessage(IPC::kTrayQuickIndex);
  quick_index.WriteInt(0);
  EXPECT_TRUE(manager.Send(quick_index));
  MSG msg;
  const DWORD end = GetTickCount() + 3000;
  while (recorder.types.empty() && static_cast<LONG>(end - GetTickCount()) > 0) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  EXPECT_EQ(recorder.types, std::vector<uint32_t>{IPC::kTrayQuickIndex});
  tray.Close();
}

}  // namespace
