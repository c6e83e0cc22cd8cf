#pragma once

#include <cstdint>

#include "app/ipc/ipc_message.h"

// Receives the messages of a channel on the channel window's thread.
class IChannelListener {
 public:
  virtual ~IChannelListener() = default;
  virtual void OnMessageReceived(const IPC::Message& message) = 0;
  // Messages with this routing id, and broadcasts (routing 0), reach the listener.
  virtual int32_t GetRoutingId() = 0;
};

// A listener that also learns when the peer's channel window went away.
class IChannelListener2 : public IChannelListener {
 public:
  virtual void OnPeerGone(bool session_ending) = 0;
};
