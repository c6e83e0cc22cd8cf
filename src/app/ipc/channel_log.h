#pragma once

#include <string>

namespace IPC {

// The channel library's information lines. The library is shared with the
// tray program, which has no diagnostic log, so lines go to whatever sink the
// program sets; without one they are dropped.
using ChannelLogSink = void (*)(const char* source, int line, const std::wstring& text);

void SetChannelLogSink(ChannelLogSink sink);
// True when a sink accepts the lines.
bool ChannelLogEnabled();
void ChannelLog(const char* source, int line, const std::wstring& text);

}  // namespace IPC
