#include "app/ipc/channel_sender.h"

#include <process.h>

#include <optional>
#include <utility>

#include "app/ipc/channel_log.h"
#include "app/ipc/channel_names.h"
#include "log/logger_impl.h"

CChannelSender::CChannelSender(std::wstring peer_name) : peer_name_(std::move(peer_name)) {}

HWND CChannelSender::LookUpPeer() {
  HWND found = IPC::FindChannelWindow(peer_name_);
  peer_ = found;
  return found;
}

namespace {

// The lines other tools look for in the log: the record could not be handed
// to the peer (303) or to this side's own window (315).
constexpr const char* kLogSource = "channelimpl.cpp";
constexpr int kPeerFailureLine = 303;
constexpr int kOwnFailureLine = 315;

constexpr int kFailureLevel = 1;

void LogSendFailure(int line, DWORD error) {
  // The channel logger decides whether failure lines are wanted at all.
  if (LogUtils::LoggerImpl::GetInstance()->IsLevelEnabled(kFailureLevel) &&
      IPC::ChannelLogEnabled()) {
    IPC::ChannelLog(
        kLogSource, line,
        L"CChannelImpl::SendImpl, SendMessageTimeout failed, error=" + std::to_wstring(error));
  }
}

}  // namespace

bool CChannelSender::SendRecord(HWND target, const IPC::Message& message, int delivery) {
  COPYDATASTRUCT record = {};
  record.dwData = delivery == 0 ? IPC::kDeliverAfterReturn : IPC::kDeliverBeforeReturn;
  record.cbData = static_cast<DWORD>(message.size());
  record.lpData = const_cast<void*>(message.data());
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(own_window_),
                             reinterpret_cast<LPARAM>(&record), SMTO_NOTIMEOUTIFNOTHUNG,
                             IPC::kSendTimeoutMs, &answer) != 0;
}

bool CChannelSender::SendNow(const IPC::Message& message, int delivery) {
  if (!message.is_valid()) {
    return false;
  }
  HWND peer = peer_;
  if (!IsWindow(peer)) {
    peer = LookUpPeer();
  }
  if (IsWindow(peer) && !SendRecord(peer, message, delivery)) {
    LogSendFailure(kPeerFailureLine, GetLastError());
  }
  // Broadcasts reach this side's own listeners too.
  if (message.routing_id() == 0 && IsWindow(own_window_) &&
      !SendRecord(own_window_, message, delivery)) {
    LogSendFailure(kOwnFailureLine, GetLastError());
  }
  return peer != nullptr;
}

int CChannelSender::SendToEveryPeer(const IPC::Message& message, int delivery) {
  if (!message.is_valid()) {
    return 0;
  }
  int reached = 0;
  for (HWND peer = IPC::FindChannelWindow(peer_name_); peer;
       peer = IPC::FindChannelWindow(peer_name_, peer)) {
    if (SendRecord(peer, message, delivery)) {
      ++reached;
    }
  }
  return reached;
}

bool CChannelSender::EnsureSendThread() {
  if (!stop_event_) {
    stop_event_.Attach(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    queue_event_.Attach(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!stop_event_ || !queue_event_) {
      return false;
    }
  }
  if (thread_ && WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0) {
    // The thread ended when the peer went away; a new send starts it again.
    thread_.Close();
    ResetEvent(stop_event_.get());
  }
  if (!thread_) {
    auto* self = new std::shared_ptr<CChannelSender>(shared_from_this());
    thread_.Attach(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadMain, self, 0, nullptr)));
    if (!thread_) {
      delete self;
      return false;
    }
  }
  return true;
}

bool CChannelSender::Enqueue(const IPC::Message& message, int delivery) {
  if (!message.is_valid()) {
    return false;
  }
  std::lock_guard<std::mutex> guard(queue_lock_);
  if (!EnsureSendThread()) {
    return false;
  }
  queue_.push_back(Queued{message, delivery});
  SetEvent(queue_event_.get());
  return true;
}

unsigned __stdcall CChannelSender::ThreadMain(void* param) {
  std::unique_ptr<std::shared_ptr<CChannelSender>> self(
      static_cast<std::shared_ptr<CChannelSender>*>(param));
  (*self)->RunSendThread();
  return 0;
}

void CChannelSender::RunSendThread() {
  const HANDLE events[] = {stop_event_.get(), queue_event_.get()};
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (woke != WAIT_OBJECT_0 + 1) {
      return;
    }
    std::optional<Queued> next;
    {
      std::lock_guard<std::mutex> guard(queue_lock_);
      if (!queue_.empty()) {
        next = std::move(queue_.front());
        queue_.pop_front();
      }
      if (!queue_.empty()) {
        SetEvent(queue_event_.get());
      }
    }
    if (next && next->message.type() != 0) {
      SendNow(next->message, next->delivery);
    }
  }
}

void CChannelSender::SignalStop() {
  std::lock_guard<std::mutex> guard(queue_lock_);
  if (stop_event_) {
    SetEvent(stop_event_.get());
  }
}

void CChannelSender::Stop(DWORD timeout_ms) {
  HANDLE thread = nullptr;
  {
    std::lock_guard<std::mutex> guard(queue_lock_);
    if (stop_event_) {
      SetEvent(stop_event_.get());
    }
    thread = thread_.get();
  }
  if (thread) {
    WaitForSingleObject(thread, timeout_ms);
  }
}
