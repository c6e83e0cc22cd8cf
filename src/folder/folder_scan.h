#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

// Orders names case-insensitively, the way the folder list looks names up.
struct CaseInsensitiveLess {
  bool operator()(const std::wstring& a, const std::wstring& b) const;
};

// What a folder scan hands to the user-interface thread.
struct CFolderScanResult {
  std::set<std::wstring, CaseInsensitiveLess> subdirectories;
  std::deque<std::wstring> names;  // supported pictures, in display order
  int32_t current_index = -1;      // of the current picture in names
};

// Position of name in names, compared case-insensitively; -1 when absent.
int32_t FindName(const std::deque<std::wstring>& names, const std::wstring& name);

// Supported pictures of folder (hidden and system files too) in logical name
// order, or in the order of an Explorer window showing the folder when that
// order holds the current picture. Stops early once abort is set. A folder
// that cannot be listed gives an empty result.
CFolderScanResult ScanFolder(const std::wstring& folder, const std::wstring& current_name,
                             const std::atomic<int32_t>& abort);

// Adopts explorer_order into result when it lists current_name: the
// pictures it names that are no subdirectories replace result's names.
// Otherwise result keeps its names. Either way current_index ends as the
// current picture's position, or -1.
void ApplyExplorerOrder(const std::vector<std::wstring>& explorer_order,
                        const std::wstring& current_name, CFolderScanResult* result);

// The full path of a folder without a closing separator ("C:" for a
// drive's root), as the list keeps folders; empty when it cannot be made.
std::wstring FullFolderPath(const std::wstring& path);

// The scan of a folder the user opened: its pictures in display order, and
// as the current one the first of them (the first an Explorer window showing
// the folder lists, else the first by name). No current picture (-1) when
// the folder has none or the scan was stopped.
CFolderScanResult ScanFolderForFirstPicture(const std::wstring& folder,
                                            const std::atomic<int32_t>& abort);
