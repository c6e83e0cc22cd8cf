#pragma once

#include <windows.h>

#include <string>

#include "basic_lib/singleton.h"
#include "framework/handle.h"
#include "log/log_line.h"

// The diagnostic log. Lines go to the standard output always, and to
// "main.log" in the data folder only when the marker file "main.log.on" was
// there when the log was opened, so an ordinary installation writes nothing.
// Write may be called from any thread; each line is written whole.
class CMyLog : public CSingletonT<CMyLog> {
 public:
  CMyLog();
  ~CMyLog();
  CMyLog(const CMyLog&) = delete;
  CMyLog& operator=(const CMyLog&) = delete;

  // Opens "<data folder>\main.log" for appending when its marker exists.
  void Open();
  // The same rule for a log file of the caller's choice.
  void Open(const std::wstring& log_path);
  bool IsFileOpen() const;

  void Write(const CLogLine& line);

  // "<roaming application data>\Lumora\main.log".
  static std::wstring DefaultLogPath();

 private:
  void WriteToFile(const std::wstring& text);

  mutable CRITICAL_SECTION lock_;
  std::wstring pending_;
  CHandle file_;
};

// Hands a finished line to the process-wide log; used by the macros below
// ("operator&" binds after the line's "<<" chain).
struct CLogLineSender {
  void operator&(const CLogLine& line) const;
};

// LOG_INFO << "text" << number;  writes one "[I]" line tagged with this
// source file and line.
#define LOG_INFO ::CLogLineSender() & ::CLogLine(L"[I]", __FILE__, __LINE__)
