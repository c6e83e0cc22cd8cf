#include "popup_dialog/image_info_labels.h"

#include <shlwapi.h>

#include <cwchar>
#include <cwctype>
#include <vector>

#include "framework/handle.h"
#include "l10n/lang_string.h"

namespace image_info {

namespace {

std::vector<std::wstring> Split(const std::wstring& text, const wchar_t* separators) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find_first_of(separators, start);
    parts.push_back(
        text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) {
      return parts;
    }
    start = end + 1;
  }
}

std::wstring Format(const wchar_t* format, int a, int b) {
  wchar_t text[64] = {};
  swprintf(text, std::size(text), format, a, b);
  return text;
}

std::wstring DateTimeText(int year, int month, int day, int hour, int minute, int second) {
  wchar_t text[64] = {};
  swprintf(text, std::size(text), L"%.4d-%.2d-%.2d %.2d:%.2d:%.2d", year, month, day, hour, minute,
           second);
  return text;
}

std::wstring WithSuffix(const std::wstring& value, const wchar_t* suffix) {
  return value.empty() ? std::wstring() : value + suffix;
}

int Number(const std::wstring& text) { return StrToIntW(text.c_str()); }

}  // namespace

std::optional<FileFacts> FindFile(const std::wstring& path) {
  if (path.empty()) {
    return std::nullopt;
  }
  WIN32_FIND_DATAW found = {};
  CFindHandle search(FindFirstFileW(path.c_str(), &found));
  if (!search) {
    return std::nullopt;
  }
  FileFacts facts;
  facts.file_name = found.cFileName;
  facts.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  facts.last_write = found.ftLastWriteTime;
  return facts;
}

ExifLists ExifLists::FromLanguage() {
  ExifLists lists;
  lists.metering = GetLangStringById(L"EXIF", 80);
  lists.flash = GetLangStringById(L"EXIF", 81);
  lists.white_balance = GetLangStringById(L"EXIF", 82);
  lists.program = GetLangStringById(L"EXIF", 83);
  return lists;
}

std::wstring FormatShootingTime(const std::wstring& date_taken) {
  const std::vector<std::wstring> parts = Split(date_taken, L" :-");
  if (parts.size() != 6) {
    return date_taken;
  }
  return DateTimeText(Number(parts[0]), Number(parts[1]), Number(parts[2]), Number(parts[3]),
                      Number(parts[4]), Number(parts[5]));
}

std::wstring FormatLocalTime(const FILETIME& utc) {
  if (utc.dwLowDateTime == 0 && utc.dwHighDateTime == 0) {
    return std::wstring();
  }
  SYSTEMTIME universal = {};
  SYSTEMTIME local = {};
  if (!FileTimeToSystemTime(&utc, &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
    return std::wstring();
  }
  return DateTimeText(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                      local.wSecond);
}

std::wstring ListItem(const std::wstring& list, size_t count, int index) {
  const std::vector<std::wstring> items = Split(list, L"/");
  if (items.size() != count || index < 0 || static_cast<size_t>(index) >= count) {
    return std::wstring();
  }
  return items[static_cast<size_t>(index)];
}

Labels MakeLabels(const std::optional<FileFacts>& file, SIZE oriented_size, const CExifInfo* exif,
                  const ExifLists& lists) {
  Labels labels;
  std::wstring& name = labels[L"name"];
  std::wstring& type = labels[L"type"];
  std::wstring& capacity = labels[L"capacity"];
  std::wstring& modify_time = labels[L"modify_time"];
  if (file) {
    const std::wstring& file_name = file->file_name;
    const size_t dot = file_name.rfind(L'.');
    name = file_name.substr(0, dot);
    if (dot != std::wstring::npos) {
      type = file_name.substr(dot + 1);
      for (wchar_t& c : type) {
        c = static_cast<wchar_t>(std::towupper(c));
      }
    }
    wchar_t size_text[64] = {};
    if (StrFormatByteSizeW(static_cast<LONGLONG>(file->size), size_text,
                           static_cast<UINT>(std::size(size_text)))) {
      capacity = size_text;
    }
    modify_time = FormatLocalTime(file->last_write);
  }
  labels[L"size"] = oriented_size.cx != 0 && oriented_size.cy != 0
                        ? Format(L"%d * %d", oriented_size.cx, oriented_size.cy)
                        : std::wstring();

  const CExifInfo empty;
  const CExifInfo& info = exif ? *exif : empty;
  labels[L"shooting_time"] =
      info.date_taken.empty() ? std::wstring() : FormatShootingTime(info.date_taken);
  labels[L"firm"] = info.make;
  labels[L"dev_model"] = info.model;
  labels[L"camera_lens"] = info.lens_model;
  labels[L"aperture_value"] = info.f_number.empty() ? std::wstring() : L"F" + info.f_number;
  labels[L"max_aperture_value"] = info.max_aperture;
  labels[L"time_of_exposure"] = WithSuffix(info.exposure_time, L" sec");
  labels[L"resolving_power"] = info.dpi != 0 ? std::to_wstring(info.dpi) + L" dpi" : std::wstring();
  labels[L"ISO"] = info.iso;
  labels[L"focal_length"] = WithSuffix(info.focal_length, L" mm");
  std::wstring& metering = labels[L"test_model"];
  if (!info.metering_mode.empty()) {
    const int mode = Number(info.metering_mode);
    if (mode >= 1 && mode <= 6) {
      metering = ListItem(lists.metering, 7, mode);
    }
  }
  std::wstring& flash = labels[L"flash_lamp"];
  if (!info.flash.empty()) {
    flash = ListItem(lists.flash, 2, (Number(info.flash) & 1) ? 0 : 1);
  }
  std::wstring& white_balance = labels[L"white_balance"];
  if (!info.white_balance.empty()) {
    white_balance = ListItem(lists.white_balance, 2, Number(info.white_balance) == 0 ? 1 : 0);
  }
  std::wstring& program = labels[L"program"];
  if (!info.exposure_program.empty()) {
    const int value = Number(info.exposure_program);
    if (value >= 1 && value <= 8) {
      program = ListItem(lists.program, 9, value);
    }
  }
  labels[L"gps"] = info.gps;
  return labels;
}

}  // namespace image_info
