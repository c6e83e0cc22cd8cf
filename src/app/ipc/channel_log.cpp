#include "app/ipc/channel_log.h"

#include <atomic>

namespace IPC {

namespace {
std::atomic<ChannelLogSink> g_sink{nullptr};
}  // namespace

void SetChannelLogSink(ChannelLogSink sink) { g_sink = sink; }

bool ChannelLogEnabled() { return g_sink.load() != nullptr; }

void ChannelLog(const char* source, int line, const std::wstring& text) {
  if (ChannelLogSink sink = g_sink.load()) {
    sink(source, line, text);
  }
}

}  // namespace IPC
