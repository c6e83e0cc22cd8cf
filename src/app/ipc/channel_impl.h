#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "app/ipc/channel_listener.h"
#include "app/ipc/channel_sender.h"
#include "app/ipc/ipc_message.h"
#include "framework/wnd.h"

// The window of one channel end: receives transport records, hands the
// messages to the listeners on its thread and watches the peer window.
class CChannelImpl : public CWnd {
 public:
  CChannelImpl(std::wstring own_name, std::wstring peer_name);
  ~CChannelImpl() override;

  bool CreateChannelWindow();
  CChannelSender& sender() { return *sender_; }

  void AddListener(IChannelListener* listener);
  void RemoveListener(IChannelListener* listener);

  void Close();

  LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;
  bool OnTimer(UINT_PTR id) override;
  void PostNcDestroy() override;

 private:
  LRESULT OnCopyData(const COPYDATASTRUCT* record);
  void OnWatchdog();
  void Deliver(const char* data, size_t size);
  void FreePostedCopies();

  const std::wstring own_name_;
  const std::wstring peer_name_;
  std::shared_ptr<CChannelSender> sender_;
  bool watchdog_running_ = false;
  bool session_ending_ = false;
  bool closing_ = false;

  std::mutex listeners_lock_;
  std::set<IChannelListener*> listeners_;
  // Copies of records waiting for their posted delivery; only these pointers
  // are accepted back, whoever posts the delivery message.
  std::set<std::string*> posted_copies_;
};
