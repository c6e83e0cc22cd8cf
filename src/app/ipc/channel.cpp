#include "app/ipc/channel.h"

#include "app/ipc/channel_impl.h"
#include "app/ipc/channel_names.h"

CChannel::CChannel() = default;

CChannel::~CChannel() { Close(); }

bool CChannel::Connect(const std::wstring& name, bool client) {
  if (IsConnected()) {
    return true;
  }
  impl_.reset();
  impl_ = std::make_unique<CChannelImpl>(IPC::ChannelWindowName(name, client),
                                         IPC::ChannelWindowName(name, !client));
  return impl_->CreateChannelWindow();
}

bool CChannel::IsConnected() const { return impl_ && impl_->GetSafeHwnd() != nullptr; }

bool CChannel::Send(const IPC::Message& message, bool queued, int delivery) {
  if (!IsConnected()) {
    return false;
  }
  return queued ? impl_->sender().Enqueue(message, delivery)
                : impl_->sender().SendNow(message, delivery);
}

int CChannel::SendToEveryPeer(const IPC::Message& message, int delivery) {
  return IsConnected() ? impl_->sender().SendToEveryPeer(message, delivery) : 0;
}

void CChannel::AddListener(IChannelListener* listener) {
  if (impl_ && listener) {
    impl_->AddListener(listener);
  }
}

void CChannel::RemoveListener(IChannelListener* listener) {
  if (impl_) {
    impl_->RemoveListener(listener);
  }
}

void CChannel::Close() {
  if (impl_) {
    impl_->Close();
    impl_.reset();
  }
}

HWND CChannel::own_window() const { return impl_ ? impl_->GetSafeHwnd() : nullptr; }
