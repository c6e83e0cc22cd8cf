#pragma once

#include <string>

// The files and folders the program keeps in its data folder
// (CAppConfig::GetDataFolder), all in one place.
namespace data_paths {

// "<data folder>\temp\".
std::wstring TempFolder();
// "<data folder>\temp\crash\", where the crash uploader writes its dumps.
std::wstring CrashFolder();
// The print command's JPEG copy of a picture the wizard cannot print.
std::wstring PrintScratchFile();
// The upright JPEG copy that becomes the desktop wallpaper.
std::wstring WallpaperFile();

}  // namespace data_paths
