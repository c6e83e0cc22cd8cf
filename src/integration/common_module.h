#pragma once

#include <windows.h>

#include <string>

#include "basic_lib/win_util.h"

// Finds "common.dll", the statistics and utility library, the same way for
// every caller: the copy already loaded in the process, else the one in the
// program folder, else (only when that file does not exist) the one in the
// program folder's parent. It is loaded once and never unloaded.
class CCommonModule {
 public:
  // The module. Every caller needs it, so when it cannot be loaded the
  // process ends here with exit code 0.
  static HMODULE Get();

  // The lookup alone for a given program folder (trailing backslash); null
  // when nothing could be loaded. Loads at most once per call.
  static HMODULE Find(const std::wstring& program_folder);
  // The file the lookup loads when no copy is loaded yet.
  static std::wstring CandidatePath(const std::wstring& program_folder);

  // An entry point of the loaded module, or null.
  template <class Fn>
  static Fn Entry(const char* name) {
    return win_util::GetProcAddressAs<Fn>(Get(), name);
  }
};
