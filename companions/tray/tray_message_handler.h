#pragma once

#include <functional>
#include <string>

#include "app/ipc/channel_listener.h"
#include "tray/tray_state.h"

// The tray program's listener on the channel (routing id 1): records the
// settings of message types 1 and 3 to 6 and ends the program on type 2.
// Messages whose payload does not read back as its type's values are dropped.
class CTrayMessageHandler : public IChannelListener {
 public:
  CTrayMessageHandler(CTrayState* state, std::function<void()> quit);

  void OnMessageReceived(const IPC::Message& message) override;
  int32_t GetRoutingId() override;

  static constexpr int kMaxLockscreenMinutes = 7 * 24 * 60;

 private:
  static bool IsExtensionText(const std::string& text);

  CTrayState* state_;
  std::function<void()> quit_;
};
