#pragma once

#include <string>

#include "crash_uploader/crash_arguments.h"

// Writes the minidump of a crashed process, with the exception of its
// crashed thread, into a folder. The file appears under its final name
// ("<time>_<source>_<version>.dmp") only once it is complete.
class CMinidumpWriter {
 public:
  explicit CMinidumpWriter(std::wstring folder);

  // False, leaving nothing behind, when the process, the thread or the
  // exception information cannot be read.
  bool Write(const CrashArguments& crash, std::wstring* written_path);

 private:
  std::wstring FileNameFor(const CrashArguments& crash) const;

  std::wstring folder_;
};
