#include "tray/tray_message_handler.h"

#include <utility>

#include "app/ipc/channel_names.h"
#include "app/ipc/pickle.h"

namespace {

constexpr size_t kMaxExtensionLength = 16;

}  // namespace

CTrayMessageHandler::CTrayMessageHandler(CTrayState* state, std::function<void()> quit)
    : state_(state), quit_(std::move(quit)) {}

int32_t CTrayMessageHandler::GetRoutingId() { return IPC::kTrayRoutingId; }

bool CTrayMessageHandler::IsExtensionText(const std::string& text) {
  if (text.empty() || text.size() > kMaxExtensionLength) {
    return false;
  }
  for (char c : text) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
      return false;
    }
  }
  return true;
}

void CTrayMessageHandler::OnMessageReceived(const IPC::Message& message) {
  if (!message.is_valid()) {
    return;
  }
  PickleIterator reader(message);
  int32_t value = 0;
  switch (message.type()) {
    case IPC::kTrayQuickIndex:
      if (reader.ReadInt(&value)) {
        state_->SetQuickIndex(value != 0);
      }
      break;
    case IPC::kTrayQuit:
      quit_();
      break;
    case IPC::kTrayHotkey:
      // Virtual key in bits 0-7, modifiers in bits 8-15, nothing above.
      if (reader.ReadInt(&value) && (value & ~0xFFFF) == 0) {
        state_->SetScreenshotHotkey(value);
      }
      break;
    case IPC::kTrayAssociation: {
      std::string extension;
      if (reader.ReadString(&extension) && reader.ReadInt(&value) && IsExtensionText(extension)) {
        state_->SetAssociation(std::wstring(extension.begin(), extension.end()), value != 0);
      }
      break;
    }
    case IPC::kTrayLockscreenEnable:
      if (reader.ReadInt(&value)) {
        state_->SetLockscreenEnabled(value != 0);
      }
      break;
    case IPC::kTrayLockscreenTime:
      if (reader.ReadInt(&value) && value > 0 && value <= kMaxLockscreenMinutes) {
        state_->SetLockscreenMinutes(value);
      }
      break;
    default:
      break;
  }
}
