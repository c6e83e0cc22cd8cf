#pragma once

#include <windows.h>

#include <string>

namespace companion {

// "<roaming application data>\Lumora\", with a trailing backslash.
std::wstring DataFolder();
// The crash folder of the viewer: data folder + "temp\crash\".
std::wstring CrashFolder();
// The folder of a loaded module (null: the program), with a trailing backslash.
std::wstring ModuleFolder(HMODULE module);
// The module that holds this code (the DLL when linked into one).
HMODULE ThisModule();
// Creates the folder and any missing parents; true when it exists afterwards.
bool EnsureFolder(const std::wstring& folder);

}  // namespace companion
