#pragma once

#include <windows.h>

#include "view_render/message_window.h"

// The hand-over receivers: message-only windows with fixed names through
// which a newly started viewer passes its request (a WM_COPYDATA record) to
// this one. The record is sent on to the application's main window, whose
// answer goes back to the sender unchanged; without a main window the answer
// is 0. The window is created with the object and admits WM_COPYDATA from
// processes of lower integrity; deleting the object destroys it.
class CIPCReceiver : public FCMessageWindow {
 public:
  // The instance window, kept while the setting only_one_instance is on.
  CIPCReceiver();
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 protected:
  CIPCReceiver(const wchar_t* window_name, bool pass_wparam);

 private:
  const bool pass_wparam_;
};

// The always window, kept by every viewer; it passes wParam 0 on.
class CIPCAlwaysReceiver : public CIPCReceiver {
 public:
  CIPCAlwaysReceiver();
};
