#include "app/ipc/channel.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ipc/channel_log.h"
#include "app/ipc/channel_names.h"
#include "log/logger_impl.h"

namespace {

struct Received {
  int32_t routing;
  uint32_t type;
  std::string payload;
};

class RecordingListener : public IChannelListener2 {
 public:
  explicit RecordingListener(int32_t routing_id) : routing_id_(routing_id) {}
  void OnMessageReceived(const IPC::Message& message) override {
    received.push_back({message.routing_id(), message.type(),
                        std::string(message.payload(), message.payload_size())});
  }
  int32_t GetRoutingId() override { return routing_id_; }
  void OnPeerGone(bool session_ending) override {
    ++peer_gone;
    last_session_ending = session_ending;
  }

  std::vector<Received> received;
  int peer_gone = 0;
  bool last_session_ending = true;

 private:
  int32_t routing_id_;
};

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

template <class Done>
bool PumpUntil(Done done, DWORD timeout_ms = 5000) {
  const DWORD end = GetTickCount() + timeout_ms;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) {
      return false;
    }
    Pump(20);
  }
  return true;
}

// Each test uses a channel name of its own, so windows of an earlier test
// that are still being torn down never answer.
std::wstring UniqueChannelName() {
  static int counter = 0;
  return L"TestChannel-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

IPC::Message IntMessage(int32_t routing, uint32_t type, int32_t value) {
  IPC::Message message(routing, type, IPC::kViewerMessagePriority);
  message.WriteInt(value);
  return message;
}

TEST(Channel, WindowsAreNamedAfterTheSideAndFoundAsMessageOnlyWindows) {
  const std::wstring name = UniqueChannelName();
  CChannel server;
  ASSERT_TRUE(server.Connect(name, false));
  EXPECT_TRUE(server.Connect(name, false));  // already connected: nothing changes
  HWND window = server.own_window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(IPC::FindChannelWindow(L"Tessel.Server.MsgClass." + name), window);
  wchar_t class_name[256] = {};
  GetClassNameW(window, class_name, 256);
  EXPECT_EQ(std::wstring(class_name), L"Tessel.Server.MsgClass." + name);
  server.Close();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(server.IsConnected());
}

TEST(Channel, ClientWithoutServerConnectsButSendsReportFalse) {
  CChannel client;
  ASSERT_TRUE(client.Connect(UniqueChannelName(), true));
  EXPECT_FALSE(client.Send(IntMessage(1, 1, 1), false, 0));
  CChannel unconnected;
  EXPECT_FALSE(unconnected.Send(IntMessage(1, 1, 1), false, 0));
}

TEST(Channel, MessagesReachListenersByRoutingIdWithEitherDelivery) {
  const std::wstring name = UniqueChannelName();
  CChannel server;
  ASSERT_TRUE(server.Connect(name, false));
  RecordingListener tray(IPC::kTrayRoutingId);
  RecordingListener other(7);
  server.AddListener(&tray);
  server.AddListener(&tray);  // a second insert changes nothing
  server.AddListener(&other);

  CChannel client;
  ASSERT_TRUE(client.Connect(name, true));
  // Delivered before the call returns.
  ASSERT_TRUE(client.Send(IntMessage(1, 3, 1092), false, 1));
  ASSERT_EQ(tray.received.size(), 1u);
  EXPECT_EQ(tray.received[0].type, 3u);
  EXPECT_EQ(tray.received[0].payload, std::string("\x44\x04\0\0", 4));
  EXPECT_TRUE(other.received.empty());

  // Delivered after the call returns, through the posted copy.
  ASSERT_TRUE(client.Send(IntMessage(1, 5, 1), false, 0));
  EXPECT_EQ(tray.received.size(), 1u);
  ASSERT_TRUE(PumpUntil([&] { return tray.received.size() == 2; }));
  EXPECT_EQ(tray.received[1].type, 5u);

  // Routing 0 reaches every listener.
  ASSERT_TRUE(client.Send(IPC::Message(0, 2, 2), false, 1));
  ASSERT_EQ(tray.received.size(), 3u);
  EXPECT_EQ(other.received.size(), 1u);

  server.RemoveListener(&other);
  ASSERT_TRUE(client.Send(IPC::Message(0, 2, 2), false, 1));
  EXPECT_EQ(tray.received.size(), 4u);
  EXPECT_EQ(other.received.size(), 1u);
}

TEST(Channel, BroadcastsReachTheSendersOwnListenersButRoutedMessagesDoNot) {
  const std::wstring name = UniqueChannelName();
  CChannel server;
  ASSERT_TRUE(server.Connect(name, false));
  CChannel client;
  ASSERT_TRUE(client.Connect(name, true));
  RecordingListener own(IPC::kMainWindowRoutingId);
  client.AddListener(&own);

  ASSERT_TRUE(client.Send(IPC::Message(1, 1, 2), false, 1));
  EXPECT_TRUE(own.received.empty());
  ASSERT_TRUE(client.Send(IPC::Message(0, 2, 2), false, 1));
  ASSERT_EQ(own.received.size(), 1u);
  EXPECT_EQ(own.received[0].type, 2u);
}

TEST(Channel, QueuedSendsArriveInOrderFromTheSendThread) {
  const std::wstring name = UniqueChannelName();
  CChannel server;
  ASSERT_TRUE(server.Connect(name, false));
  RecordingListener tray(IPC::kTrayRoutingId);
  server.AddListener(&tray);
  CChannel client;
  ASSERT_TRUE(client.Connect(name, true));

  for (int i = 1; i <= 20; ++i) {
    ASSERT_TRUE(client.Send(IntMessage(1, 6, i), true, 0));
  }
  // A type 0 message is dropped by the send thread.
  ASSERT_TRUE(client.Send(IPC::Message(1, 0, 0), true, 0));
  ASSERT_TRUE(PumpUntil([&] { return tray.received.size() == 20; }));
  Pump(100);
  ASSERT_EQ(tray.received.size(), 20u);
  for (int i = 0; i < 20; ++i) {
    int32_t value = 0;
    memcpy(&value, tray.received[i].payload.data(), 4);
    EXPECT_EQ(value, i + 1);
  }
  client.Close();  // stops the send thread
}

TEST(Channel, ServerSendsToEveryClientWindow) {
  const std::wstring name = UniqueChannelName();
  CChannel server;
  ASSERT_TRUE(server.Connect(name, false));
  CChannel first;
  CChannel second;
  ASSERT_TRUE(first.Connect(name, true));
  ASSERT_TRUE(second.Connect(name, true));
  RecordingListener viewer1(IPC::kMainWindowRoutingId);
  RecordingListener viewer2(IPC::kMainWindowRoutingId);
  first.AddListener(&viewer1);
  second.AddListener(&viewer2);

  EXPECT_EQ(server.SendToEveryPeer(IPC::Message(IPC::kMainWindowRoutingId, 2, 2), 1), 2);
  EXPECT_EQ(viewer1.received.size(), 1u);
  EXPECT_EQ(viewer2.received.size(), 1u);
}

TEST(Channel, WatchdogReportsThePeerGoneOnce) {
  const std::wstring name = UniqueChannelName();
  auto server = std::make_unique<CChannel>();
  ASSERT_TRUE(server->Connect(name, false));
  CChannel client;
  ASSERT_TRUE(client.Connect(name, true));
  RecordingListener viewer(IPC::kMainWindowRoutingId);
  client.AddListener(&viewer);
  Pump(1200);
  EXPECT_EQ(viewer.peer_gone, 0);

  server.reset();
  ASSERT_TRUE(PumpUntil([&] { return viewer.peer_gone == 1; }, 4000));
  EXPECT_FALSE(viewer.last_session_ending);
  Pump(1500);
  EXPECT_EQ(viewer.peer_gone, 1);
}

TEST(Channel, MalformedRecordsAndForeignPostsAreIgnored) {
  const std::wstring name = UniqueChannelName();
  CChannel server;
  ASSERT_TRUE(server.Connect(name, false));
  RecordingListener tray(IPC::kTrayRoutingId);
  server.AddListener(&tray);
  HWND window = server.own_window();

  const uint32_t huge[] = {0xFFFFFFF0u, 1, 1, 0, 5};
  const uint32_t odd_header[] = {7, 1, 1, 0, 5};
  const uint32_t short_header[] = {4, 1};
  const char tiny[] = {1, 2};
  struct Record {
    ULONG_PTR tag;
    const void* data;
    DWORD size;
  } records[] = {
      {IPC::kDeliverBeforeReturn, huge, sizeof(huge)},
      {IPC::kDeliverAfterReturn, huge, sizeof(huge)},
      {IPC::kDeliverBeforeReturn, odd_header, sizeof(odd_header)},
      {IPC::kDeliverBeforeReturn, short_header, sizeof(short_header)},
      {IPC::kDeliverAfterReturn, tiny, sizeof(tiny)},
      {IPC::kDeliverBeforeReturn, nullptr, 0},
      {0x1234, short_header, sizeof(short_header)},
  };
  for (const Record& r : records) {
    COPYDATASTRUCT record = {r.tag, r.size, const_cast<void*>(r.data)};
    EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)), TRUE);
  }
  EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, 0), TRUE);
  // A delivery message that does not carry one of the window's own copies.
  static char not_a_copy[64];
  PostMessageW(window, IPC::kMsgDeliverPosted, 0, reinterpret_cast<LPARAM>(not_a_copy));
  PostMessageW(window, IPC::kMsgDeliverPosted, 0, 0x12345678);
  // Only the owner's Close destroys the window.
  SendMessageW(window, IPC::kMsgDestroyChannel, 0, 0);
  Pump(100);
  EXPECT_TRUE(tray.received.empty());
  ASSERT_TRUE(IsWindow(window));

  CChannel client;
  ASSERT_TRUE(client.Connect(name, true));
  ASSERT_TRUE(client.Send(IntMessage(1, 1, 1), false, 1));
  EXPECT_EQ(tray.received.size(), 1u);
}

// A peer whose thread ends while it handles a record: the send fails.
DWORD WINAPI DyingPeerThread(void* parameter) {
  const auto* name = static_cast<const std::wstring*>(parameter);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
    if (message == WM_COPYDATA) {
      ExitThread(0);
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  };
  wc.hInstance = GetModuleHandleW(nullptr);
  // Channel windows are found by a class of their own name.
  wc.lpszClassName = name->c_str();
  RegisterClassW(&wc);
  CreateWindowExW(0, wc.lpszClassName, name->c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                  wc.hInstance, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    DispatchMessageW(&msg);
  }
  return 0;
}

std::vector<std::wstring> g_channel_lines;

TEST(Channel, AFailedSendWritesNoLineTheChannelLoggerDoesNotWant) {
  const std::wstring name = UniqueChannelName();
  const std::wstring server_window = IPC::ChannelWindowName(name, false);
  HANDLE thread = CreateThread(nullptr, 0, DyingPeerThread,
                               const_cast<std::wstring*>(&server_window), 0, nullptr);
  ASSERT_NE(nullptr, thread);
  ASSERT_TRUE(PumpUntil([&] { return IPC::FindChannelWindow(server_window) != nullptr; }));
  g_channel_lines.clear();
  IPC::SetChannelLogSink(
      [](const char*, int, const std::wstring& text) { g_channel_lines.push_back(text); });

  CChannel client;
  ASSERT_TRUE(client.Connect(name, true));
  EXPECT_TRUE(client.Send(IntMessage(7, 1, 1), false, 0)) << "the peer was there";
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000)) << "the peer's thread ended";
  // The channel logger takes level 3 and up; the channel's failure lines
  // are level 1.
  EXPECT_FALSE(LogUtils::LoggerImpl::GetInstance()->IsLevelEnabled(1));
  EXPECT_TRUE(g_channel_lines.empty());
  IPC::SetChannelLogSink(nullptr);
  client.Close();
  CloseHandle(thread);
}

}  // namespace
