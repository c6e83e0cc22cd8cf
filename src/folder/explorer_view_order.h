#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// The in-folder parsing names of the items of the first open Explorer window
// that shows folder, in the order that window lists them. False (and no
// names) when no Explorer window shows the folder, when the shell answers
// nothing, or once abort is set. Runs in the caller's COM apartment.
bool ReadExplorerViewOrder(const std::wstring& folder, const std::atomic<int32_t>& abort,
                           std::vector<std::wstring>* names);

// Whether an Explorer window's folder and the folder of the picture list are
// one folder.
bool IsSameFolder(const std::wstring& view_folder, const std::wstring& folder);
