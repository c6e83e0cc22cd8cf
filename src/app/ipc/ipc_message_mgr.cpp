#include "app/ipc/ipc_message_mgr.h"

#include "app/ipc/channel_log.h"
#include "app/ipc/channel_names.h"
#include "log/my_log.h"

namespace {

void WriteChannelLine(const char* source, int line, const std::wstring& text) {
  CLogLineSender() & (CLogLine(L"[I]", source, line) << text);
}

}  // namespace

CIPCMessageMgr::CIPCMessageMgr() { IPC::SetChannelLogSink(WriteChannelLine); }

CIPCMessageMgr::~CIPCMessageMgr() {
  channel_.Close();
  IPC::SetChannelLogSink(nullptr);
}

bool CIPCMessageMgr::Connect() { return channel_.Connect(IPC::kTrayChannelName, true); }

void CIPCMessageMgr::AddListener(IChannelListener* listener) { channel_.AddListener(listener); }

void CIPCMessageMgr::RemoveListener(IChannelListener* listener) {
  channel_.RemoveListener(listener);
}

bool CIPCMessageMgr::Send(const IPC::Message& message) { return channel_.Send(message, false, 0); }

void CIPCMessageMgr::Close() { channel_.Close(); }

IPC::Message CIPCMessageMgr::TrayMessage(uint32_t type) {
  return IPC::Message(IPC::kTrayRoutingId, type, IPC::kViewerMessagePriority);
}
