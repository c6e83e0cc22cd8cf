#include "app/crash_dumps.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "config/data_paths.h"
#include "framework/handle.h"

void PruneCrashDumps(size_t keep) { PruneCrashDumpsIn(data_paths::CrashFolder(), keep); }

void PruneCrashDumpsIn(const std::wstring& crash_folder, size_t keep) {
  std::vector<std::wstring> dumps;
  WIN32_FIND_DATAW found;
  {
    const CFindHandle search(FindFirstFileW((crash_folder + L"*.dmp").c_str(), &found));
    if (!search) {
      return;
    }
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        dumps.push_back(crash_folder + found.cFileName);
      }
    } while (FindNextFileW(search.get(), &found));
  }
  if (dumps.size() <= keep) {
    return;
  }
  // Ascending by UTF-16 code units: dumps named by date go oldest first.
  std::sort(dumps.begin(), dumps.end());
  for (size_t i = 0; i + keep < dumps.size(); ++i) {
    DeleteFileW(dumps[i].c_str());
  }
}
