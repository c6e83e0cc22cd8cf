#pragma once

#include <windows.h>

#include <string>

// The process's top-level exception filter: it starts the crash uploader,
// which writes a dump of the crashed thread, and lets the process end.
// Installed once at start-up and kept in place against later changes.
void InstallCrashHandler();
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pointers);
// The crash report's version text is empty for a version resource larger
// than this.
constexpr DWORD kMaxVersionResourceBytes = 16383;

// The crash uploader among the candidate folders of program_folder.
std::wstring FindCrashUploader(const std::wstring& program_folder);
