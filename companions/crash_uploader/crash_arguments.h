#pragma once

#include <cstdint>
#include <string>

// What the crashed program tells the uploader:
// "--pep=%llu --pid=%d --tid=%d --src=%s --ver=%s --rep=%d".
struct CrashArguments {
  uint64_t exception_pointers = 0;  // address in the crashed process
  unsigned long process_id = 0;
  unsigned long thread_id = 0;
  std::wstring source;   // letters, digits, '-' and '_'
  std::wstring version;  // digits and dots, may be empty
  int report = 0;
};

// Every switch must be present once and well formed; other arguments are
// ignored.
bool ParseCrashArguments(int argc, const wchar_t* const* argv, CrashArguments* out);
