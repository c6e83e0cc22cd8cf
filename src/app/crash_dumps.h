#pragma once

#include <cstddef>
#include <string>

// How many crash dumps the exit leaves in the crash folder.
constexpr size_t kCrashDumpsKept = 10;

// Deletes the crash dumps ("*.dmp") of the data folder's crash folder with
// the smallest names until keep remain.
void PruneCrashDumps(size_t keep);
// The same for a crash folder of the caller's choice (trailing backslash).
void PruneCrashDumpsIn(const std::wstring& crash_folder, size_t keep);
