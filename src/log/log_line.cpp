#include "log/log_line.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "basic_lib/win_util.h"

namespace {

// UTF-8 where the bytes are valid UTF-8, else the ANSI code page.
std::wstring WidenNarrow(const char* text, size_t length) {
  const std::string_view bytes(text, length);
  const std::wstring wide = win_util::ToUtf16(bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
  return wide.empty() ? win_util::ToUtf16(bytes, CP_ACP) : wide;
}

}  // namespace

CLogLine::CLogLine(const wchar_t* level, const char* source_path, int line_number) {
  stream_ << (level ? level : L"") << PositionTag(source_path, line_number);
}

std::wstring CLogLine::PositionTag(const char* source_path, int line_number) {
  const std::string path = source_path ? source_path : "";
  // Paths compiled on other hosts use forward slashes.
  const size_t last_separator = path.find_last_of("\\/");
  const size_t name_start = last_separator == std::string::npos ? 0 : last_separator + 1;
  const size_t last_dot = path.find_last_of('.');
  wchar_t tag[64];
  if (last_dot != std::string::npos && last_dot > name_start) {
    const std::wstring name = WidenNarrow(path.data() + name_start, last_dot - name_start);
    swprintf(tag, 64, L"[%4d][", line_number);
    return tag + name + L"] ";
  }
  swprintf(tag, 64, L"[%4d] ", line_number);
  return tag;
}

CLogLine& CLogLine::operator<<(const wchar_t* text) {
  stream_ << (text ? text : L"(null)");
  return *this;
}

CLogLine& CLogLine::operator<<(const std::wstring& text) {
  stream_ << text;
  return *this;
}

CLogLine& CLogLine::operator<<(const char* text) {
  if (!text) {
    stream_ << L"(null)";
    return *this;
  }
  stream_ << WidenNarrow(text, strlen(text));
  return *this;
}

CLogLine& CLogLine::operator<<(const std::string& text) {
  stream_ << WidenNarrow(text.data(), text.size());
  return *this;
}

CLogLine& CLogLine::operator<<(wchar_t character) {
  stream_ << character;
  return *this;
}

CLogLine& CLogLine::operator<<(const void* pointer) {
  stream_ << pointer;
  return *this;
}
