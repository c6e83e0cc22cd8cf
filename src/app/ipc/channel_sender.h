#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "app/ipc/ipc_message.h"
#include "framework/handle.h"

// The sending half of a channel: finds the peer window and hands it transport
// records, at once or from a send thread. Shared with that thread, so a
// thread that outlives the channel still finds its queue and events.
class CChannelSender : public std::enable_shared_from_this<CChannelSender> {
 public:
  explicit CChannelSender(std::wstring peer_name);
  CChannelSender(const CChannelSender&) = delete;
  CChannelSender& operator=(const CChannelSender&) = delete;

  void set_own_window(HWND own_window) { own_window_ = own_window; }
  HWND own_window() const { return own_window_; }
  // The peer window from the last lookup, which may have gone away since.
  HWND peer() const { return peer_; }
  HWND LookUpPeer();

  // Sends one record now; true when a peer window is known.
  bool SendNow(const IPC::Message& message, int delivery);
  // Appends a copy for the send thread, starting it on first use.
  bool Enqueue(const IPC::Message& message, int delivery);
  int SendToEveryPeer(const IPC::Message& message, int delivery);

  // Lets the send thread end (the peer went away).
  void SignalStop();
  // Ends the send thread, waiting for it up to timeout_ms.
  void Stop(DWORD timeout_ms);

 private:
  struct Queued {
    IPC::Message message;
    int delivery;
  };

  static unsigned __stdcall ThreadMain(void* param);
  void RunSendThread();
  bool EnsureSendThread();
  bool SendRecord(HWND target, const IPC::Message& message, int delivery);

  const std::wstring peer_name_;
  HWND own_window_ = nullptr;
  std::atomic<HWND> peer_{nullptr};

  std::mutex queue_lock_;
  std::deque<Queued> queue_;
  CHandle thread_;
  CHandle stop_event_;
  CHandle queue_event_;
};
