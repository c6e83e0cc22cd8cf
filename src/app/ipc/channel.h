#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/ipc/channel_listener.h"
#include "app/ipc/ipc_message.h"

class CChannelImpl;

// One end of a named WM_COPYDATA channel between processes. Connect, Send and
// Close belong to the thread that runs the channel window's messages; queued
// sends go out from a send thread of the channel.
class CChannel {
 public:
  CChannel();
  ~CChannel();
  CChannel(const CChannel&) = delete;
  CChannel& operator=(const CChannel&) = delete;

  // Creates this side's window ("Tessel.Client.MsgClass." or
  // "Tessel.Server.MsgClass." + name); true when it exists. A second call
  // while connected changes nothing.
  bool Connect(const std::wstring& name, bool client);
  bool IsConnected() const;

  // delivery 0 lets the receiver return before it handles the message;
  // otherwise it handles it during the call. True when a peer window is known.
  bool Send(const IPC::Message& message, bool queued, int delivery);
  // A server may have several clients: sends synchronously to every peer
  // window of the channel and returns how many took the message.
  int SendToEveryPeer(const IPC::Message& message, int delivery);

  void AddListener(IChannelListener* listener);
  void RemoveListener(IChannelListener* listener);

  // Stops the send thread and destroys the window; the destructor runs it too.
  void Close();

  HWND own_window() const;

 private:
  std::unique_ptr<CChannelImpl> impl_;
};
