#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Names and numbers both ends of the tray channel rely on.
namespace IPC {

// The channel between the viewers (clients) and the tray program (server).
constexpr const wchar_t* kTrayChannelName = L"TsIPC-be3d8fcf43482b49";
constexpr const wchar_t* kClientWindowPrefix = L"Tessel.Client.MsgClass.";
constexpr const wchar_t* kServerWindowPrefix = L"Tessel.Server.MsgClass.";

// COPYDATASTRUCT::dwData of the transport record.
constexpr ULONG_PTR kDeliverAfterReturn = 0x8888;
constexpr ULONG_PTR kDeliverBeforeReturn = 0x8889;

// Private messages of a channel window.
constexpr UINT kMsgDeliverPosted = WM_USER + 100;
constexpr UINT kMsgDestroyChannel = WM_USER + 101;
constexpr UINT_PTR kWatchdogTimerId = 100;
constexpr UINT kWatchdogIntervalMs = 1000;
constexpr UINT kSendTimeoutMs = 5000;

// Listener ids: the tray program's and the viewer's main window.
constexpr int32_t kTrayRoutingId = 1;
constexpr int32_t kMainWindowRoutingId = 2;
constexpr uint32_t kViewerMessagePriority = 2;

// Message types of the tray channel.
enum TrayMessageType : uint32_t {
  kTrayQuickIndex = 1,        // int32 1 or 0
  kTrayQuit = 2,              // no payload
  kTrayHotkey = 3,            // int32: key in bits 0-7, modifiers in bits 8-15
  kTrayAssociation = 4,       // string extension or "open", then int32 state
  kTrayLockscreenEnable = 5,  // int32 1 or 0
  kTrayLockscreenTime = 6,    // int32 minutes
};

// The class name and window text of one side's channel window.
inline std::wstring ChannelWindowName(const std::wstring& channel, bool client) {
  return (client ? kClientWindowPrefix : kServerWindowPrefix) + channel;
}

// Channel windows are message-only, so only FindWindowEx with HWND_MESSAGE
// finds them on Windows.
inline HWND FindChannelWindow(const std::wstring& window_name, HWND after = nullptr) {
  return FindWindowExW(HWND_MESSAGE, after, window_name.c_str(), window_name.c_str());
}

}  // namespace IPC
