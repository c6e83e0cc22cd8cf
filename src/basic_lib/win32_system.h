#pragma once

#include <windows.h>

#include <string>

// Hand-offs of a file to the Windows shell: recycle bin, Explorer, the
// open-with dialog, the photo printing wizard and the desktop wallpaper.
namespace win32_system {

// FO_DELETE of an existing file with the given FOF_ flags; false when the
// file did not exist or the shell reported a failure.
bool DeleteToRecycleBin(const std::wstring& path, FILEOP_FLAGS flags);
// Permanent deletion without any user interface (files or folders).
bool DeleteSilently(const std::wstring& path);
// Opens the file's folder in Explorer with the file selected.
bool ShowInFolder(const std::wstring& path);
// The system's open-with dialog; the chosen program starts at once.
bool OpenWithDialog(const std::wstring& path);
// Starts the photo printing wizard for the file on a thread of its own;
// nothing waits for it and failures end it silently.
void PrintFile(const std::wstring& path);
// WPSTYLE_KEEPASPECT: fitted to the screen keeping the aspect ratio.
constexpr DWORD kWallpaperKeepAspect = 3;

// Makes the picture file the desktop wallpaper with the given WPSTYLE_
// style through the shell's Active Desktop object.
bool SetDesktopWallpaper(const std::wstring& path, DWORD style);
// "major.minor.build.revision" of a file's version resource, or empty; also
// empty when the resource is larger than max_resource_bytes.
std::wstring GetFileVersionText(const std::wstring& path, DWORD max_resource_bytes = MAXDWORD);

// The delete command's two attempts: silently to the recycle bin, then, if
// the file is still there, with the shell's own confirmation and progress.
// True when the file is gone.
bool DeleteCurrentFile(const std::wstring& path);

}  // namespace win32_system
