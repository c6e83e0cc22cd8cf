#pragma once

#include "app/ipc/channel.h"
#include "app/ipc/channel_listener.h"
#include "app/ipc/ipc_message.h"
#include "basic_lib/singleton.h"

// The viewer's one channel to the tray program: a client of the channel
// "TsIPC-be3d8fcf43482b49". The main window connects and listens while it
// exists. Process-wide, destroyed by the application's exit sequence.
class CIPCMessageMgr : public CSingletonT<CIPCMessageMgr> {
 public:
  CIPCMessageMgr();
  ~CIPCMessageMgr();
  CIPCMessageMgr(const CIPCMessageMgr&) = delete;
  CIPCMessageMgr& operator=(const CIPCMessageMgr&) = delete;

  // True when this side's channel window exists; the tray program need not run.
  bool Connect();
  void AddListener(IChannelListener* listener);
  void RemoveListener(IChannelListener* listener);
  // Synchronously, to be handled after the peer's call returns; true when
  // the tray program's window is known.
  bool Send(const IPC::Message& message);
  void Close();

  // A message of the viewer for the tray program (routing 1, priority 2).
  static IPC::Message TrayMessage(uint32_t type);

  CChannel& channel() { return channel_; }

 private:
  CChannel channel_;
};
