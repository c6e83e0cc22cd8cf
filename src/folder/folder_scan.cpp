#include "folder/folder_scan.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

#include "basic_lib/win_util.h"
#include "folder/explorer_view_order.h"
#include "image/image_format.h"

bool CaseInsensitiveLess::operator()(const std::wstring& a, const std::wstring& b) const {
  return StrCmpIW(a.c_str(), b.c_str()) < 0;
}

int32_t FindName(const std::deque<std::wstring>& names, const std::wstring& name) {
  for (size_t i = 0; i < names.size(); ++i) {
    if (StrCmpIW(names[i].c_str(), name.c_str()) == 0) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

namespace {

bool IsSupportedPicture(const std::wstring& name) { return GetImageFormatClass(name) != 0; }

// Supported pictures into result->names in logical name order, folders into
// result->subdirectories.
void ListFolder(const std::wstring& folder, const std::atomic<int32_t>& abort,
                CFolderScanResult* result) {
  WIN32_FIND_DATAW found = {};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    return;
  }
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      result->subdirectories.insert(found.cFileName);
    } else if (IsSupportedPicture(found.cFileName)) {
      result->names.push_back(found.cFileName);
    }
  } while (!abort && FindNextFileW(find, &found));
  FindClose(find);
  // Digits compare as numbers and case is ignored: Explorer's name order.
  std::stable_sort(result->names.begin(), result->names.end(),
                   [](const std::wstring& a, const std::wstring& b) {
                     return StrCmpLogicalW(a.c_str(), b.c_str()) < 0;
                   });
}

}  // namespace

void ApplyExplorerOrder(const std::vector<std::wstring>& explorer_order,
                        const std::wstring& current_name, CFolderScanResult* result) {
  std::deque<std::wstring> ordered;
  for (const std::wstring& name : explorer_order) {
    if (result->subdirectories.count(name) == 0 && IsSupportedPicture(name)) {
      ordered.push_back(name);
    }
  }
  const int32_t index = FindName(ordered, current_name);
  if (index >= 0) {
    result->names.swap(ordered);
    result->current_index = index;
  } else {
    result->current_index = FindName(result->names, current_name);
  }
}

CFolderScanResult ScanFolder(const std::wstring& folder, const std::wstring& current_name,
                             const std::atomic<int32_t>& abort) {
  CFolderScanResult result;
  ListFolder(folder, abort, &result);
  std::vector<std::wstring> explorer_order;
  if (!abort) {
    ReadExplorerViewOrder(folder, abort, &explorer_order);
  }
  if (!abort) {
    ApplyExplorerOrder(explorer_order, current_name, &result);
  }
  return result;
}

std::wstring FullFolderPath(const std::wstring& path) {
  wchar_t full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) {
    return std::wstring();
  }
  // "C:\" and "pictures\" name the folder without the closing separator
  // the scan and the joined name add back.
  return win_util::WithoutTrailingSeparator(std::wstring(full, length));
}

CFolderScanResult ScanFolderForFirstPicture(const std::wstring& folder,
                                            const std::atomic<int32_t>& abort) {
  CFolderScanResult result;
  ListFolder(folder, abort, &result);
  std::vector<std::wstring> explorer_order;
  if (!abort) {
    ReadExplorerViewOrder(folder, abort, &explorer_order);
  }
  if (abort || result.names.empty()) {
    return result;
  }
  std::wstring first = result.names.front();
  for (const std::wstring& name : explorer_order) {
    if (FindName(result.names, name) >= 0) {
      first = name;
      break;
    }
  }
  ApplyExplorerOrder(explorer_order, first, &result);
  return result;
}
