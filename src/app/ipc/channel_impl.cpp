#include "app/ipc/channel_impl.h"

#include <utility>
#include <vector>

#include "app/ipc/channel_names.h"
#include "basic_lib/win_util.h"

namespace {

// Records larger than this are not copied for a posted delivery.
constexpr DWORD kMaxRecordBytes = 16 * 1024 * 1024;
constexpr DWORD kSendThreadWaitMs = 10000;

}  // namespace

CChannelImpl::CChannelImpl(std::wstring own_name, std::wstring peer_name)
    : own_name_(std::move(own_name)),
      peer_name_(std::move(peer_name)),
      sender_(std::make_shared<CChannelSender>(peer_name_)) {}

CChannelImpl::~CChannelImpl() { Close(); }

bool CChannelImpl::CreateChannelWindow() {
  sender_->LookUpPeer();
  CreateArgs args;
  args.class_name = own_name_.c_str();
  args.title = own_name_.c_str();
  args.parent = HWND_MESSAGE;
  args.class_style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  args.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!Create(args)) {
    return false;
  }
  sender_->set_own_window(hwnd_);
  win_util::AllowMessageFromLowerIntegrity(hwnd_, WM_COPYDATA);
  return true;
}

void CChannelImpl::AddListener(IChannelListener* listener) {
  std::lock_guard<std::mutex> guard(listeners_lock_);
  listeners_.insert(listener);
}

void CChannelImpl::RemoveListener(IChannelListener* listener) {
  std::lock_guard<std::mutex> guard(listeners_lock_);
  listeners_.erase(listener);
}

void CChannelImpl::Close() {
  if (closing_) {
    return;
  }
  closing_ = true;
  if (hwnd_ && watchdog_running_) {
    KillTimer(hwnd_, IPC::kWatchdogTimerId);
    watchdog_running_ = false;
  }
  sender_->Stop(kSendThreadWaitMs);
  if (hwnd_ && IsWindow()) {
    SendMessageW(hwnd_, IPC::kMsgDestroyChannel, 0, 0);
  }
  sender_->set_own_window(nullptr);
}

void CChannelImpl::PostNcDestroy() { FreePostedCopies(); }

bool CChannelImpl::OnTimer(UINT_PTR id) {
  if (id != IPC::kWatchdogTimerId) {
    return false;
  }
  OnWatchdog();
  return true;
}

LRESULT CChannelImpl::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      watchdog_running_ =
          SetTimer(hwnd_, IPC::kWatchdogTimerId, IPC::kWatchdogIntervalMs, nullptr) != 0;
      return 0;
    case WM_QUERYENDSESSION:
      session_ending_ = true;
      return TRUE;
    case WM_COPYDATA:
      return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case IPC::kMsgDeliverPosted: {
      auto* copy = reinterpret_cast<std::string*>(lparam);
      if (posted_copies_.erase(copy) == 1) {
        Deliver(copy->data(), copy->size());
        delete copy;
      }
      return 0;
    }
    case IPC::kMsgDestroyChannel:
      // Only the owner's Close destroys the window, not a message from outside.
      if (closing_) {
        ::DestroyWindow(hwnd_);
      }
      return 0;
    default:
      break;
  }
  return CWnd::WindowProc(message, wparam, lparam);
}

LRESULT CChannelImpl::OnCopyData(const COPYDATASTRUCT* record) {
  if (!record) {
    return TRUE;
  }
  if (record->dwData == IPC::kDeliverAfterReturn) {
    if (record->cbData != 0 && record->lpData && record->cbData <= kMaxRecordBytes) {
      auto* copy = new std::string(static_cast<const char*>(record->lpData), record->cbData);
      posted_copies_.insert(copy);
      if (!PostMessageW(hwnd_, IPC::kMsgDeliverPosted, 0, reinterpret_cast<LPARAM>(copy))) {
        posted_copies_.erase(copy);
        delete copy;
      }
    }
  } else if (record->dwData == IPC::kDeliverBeforeReturn) {
    if (record->cbData != 0 && record->lpData) {
      Deliver(static_cast<const char*>(record->lpData), record->cbData);
    }
  }
  return TRUE;
}

void CChannelImpl::Deliver(const char* data, size_t size) {
  if (size > kMaxRecordBytes) {
    return;
  }
  const IPC::Message message(data, static_cast<int>(size));
  if (!message.is_valid()) {
    return;
  }
  std::vector<IChannelListener*> listeners;
  {
    std::lock_guard<std::mutex> guard(listeners_lock_);
    listeners.assign(listeners_.begin(), listeners_.end());
  }
  const int32_t routing = message.routing_id();
  for (IChannelListener* listener : listeners) {
    if (routing == 0 || listener->GetRoutingId() == routing) {
      listener->OnMessageReceived(message);
    }
  }
}

void CChannelImpl::OnWatchdog() {
  HWND peer = sender_->peer();
  if (!peer) {
    sender_->LookUpPeer();
    return;
  }
  if (::IsWindow(peer)) {
    return;
  }
  KillTimer(hwnd_, IPC::kWatchdogTimerId);
  watchdog_running_ = false;
  sender_->SignalStop();
  std::vector<IChannelListener*> listeners;
  {
    std::lock_guard<std::mutex> guard(listeners_lock_);
    listeners.assign(listeners_.begin(), listeners_.end());
  }
  for (IChannelListener* listener : listeners) {
    if (auto* listener2 = dynamic_cast<IChannelListener2*>(listener)) {
      listener2->OnPeerGone(session_ending_);
    }
  }
}

void CChannelImpl::FreePostedCopies() {
  for (std::string* copy : posted_copies_) {
    delete copy;
  }
  posted_copies_.clear();
}
