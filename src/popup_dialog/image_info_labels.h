#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "image/exif_info.h"

// The texts of the picture information window, computed apart from the
// window: from what a file search finds, the picture's size in display
// orientation and its metadata record.
namespace image_info {

// What a file search found of the current file.
struct FileFacts {
  std::wstring file_name;  // without the folder
  uint64_t size = 0;
  FILETIME last_write = {};
};

// The file at path; none when the search finds nothing.
std::optional<FileFacts> FindFile(const std::wstring& path);

// The "/"-separated lists of the language section "EXIF": key 80 (metering
// modes, 7 items), 81 (flash, 2), 82 (white balance, 2) and 83 (exposure
// programs, 9).
struct ExifLists {
  std::wstring metering;
  std::wstring flash;
  std::wstring white_balance;
  std::wstring program;

  static ExifLists FromLanguage();
};

// Label texts by control name: "name", "type", "capacity", "size",
// "modify_time", "shooting_time", "firm", "dev_model", "camera_lens",
// "aperture_value", "max_aperture_value", "time_of_exposure",
// "resolving_power", "ISO", "focal_length", "test_model", "flash_lamp",
// "white_balance", "program" and "gps" (the position as the metadata holds
// it). A text is empty when its source is missing; the metadata labels are
// all empty without a record.
using Labels = std::map<std::wstring, std::wstring>;
Labels MakeLabels(const std::optional<FileFacts>& file, SIZE oriented_size, const CExifInfo* exif,
                  const ExifLists& lists);

// "yyyy-mm-dd hh:mm:ss" when the text splits at " ", ":" and "-" into
// exactly six parts; the text unchanged otherwise.
std::wstring FormatShootingTime(const std::wstring& date_taken);
// A file time as local time "yyyy-mm-dd hh:mm:ss"; empty for time 0.
std::wstring FormatLocalTime(const FILETIME& utc);
// Item index of the "/"-separated list when it has exactly count items and
// index is inside it; empty otherwise.
std::wstring ListItem(const std::wstring& list, size_t count, int index);

}  // namespace image_info
