#include "config/data_paths.h"

#include "config/app_config.h"

namespace data_paths {

std::wstring TempFolder() { return CAppConfig::GetDataFolder() + L"temp\\"; }

std::wstring CrashFolder() { return TempFolder() + L"crash\\"; }

std::wstring PrintScratchFile() { return TempFolder() + L"tempprint.jpg"; }

std::wstring WallpaperFile() { return TempFolder() + L"wallpaper.jpg"; }

}  // namespace data_paths
