// The texts of the picture information window from a file's facts, the
// picture's size and its metadata record.
#include "popup_dialog/image_info_labels.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using image_info::ExifLists;
using image_info::FileFacts;
using image_info::MakeLabels;

ExifLists Lists() {
  ExifLists lists;
  lists.metering = L"m0/m1/m2/m3/m4/m5/m6";
  lists.flash = L"fired/not fired";
  lists.white_balance = L"manual/auto";
  lists.program = L"p0/p1/p2/p3/p4/p5/p6/p7/p8";
  return lists;
}

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME time = {};
  time.wYear = year;
  time.wMonth = month;
  time.wDay = day;
  time.wHour = hour;
  time.wMinute = minute;
  time.wSecond = second;
  FILETIME file_time = {};
  SystemTimeToFileTime(&time, &file_time);
  return file_time;
}

TEST(ImageInfoLabels, FileRowsFromTheSearchResult) {
  FileFacts file;
  file.file_name = L"holiday.photo.jpeg";
  file.size = 1594884;
  file.last_write = Utc(2022, 5, 6, 7, 8, 9);
  const auto labels = MakeLabels(file, SIZE{4000, 3000}, nullptr, Lists());
  EXPECT_EQ(labels.at(L"name"), L"holiday.photo");
  EXPECT_EQ(labels.at(L"type"), L"JPEG");
  EXPECT_EQ(labels.at(L"capacity"), L"1.52 MB");
  EXPECT_EQ(labels.at(L"size"), L"4000 * 3000");
  // Local time of the file time, through the system's own conversion.
  SYSTEMTIME local = {};
  SYSTEMTIME universal = {};
  FileTimeToSystemTime(&file.last_write, &universal);
  SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local);
  wchar_t expected[32];
  swprintf(expected, 32, L"%04d-%02d-%02d %02d:%02d:%02d", local.wYear, local.wMonth, local.wDay,
           local.wHour, local.wMinute, local.wSecond);
  EXPECT_EQ(labels.at(L"modify_time"), expected);
  // Without a record every camera row is empty.
  for (const wchar_t* name :
       {L"shooting_time", L"firm", L"dev_model", L"camera_lens", L"aperture_value",
        L"max_aperture_value", L"time_of_exposure", L"resolving_power", L"ISO", L"focal_length",
        L"test_model", L"flash_lamp", L"white_balance", L"program", L"gps"}) {
    EXPECT_EQ(labels.at(name), L"") << name;
  }
}

TEST(ImageInfoLabels, MissingFileZeroSizesAndNamesWithoutDots) {
  auto labels = MakeLabels(std::nullopt, SIZE{0, 300}, nullptr, Lists());
  for (const wchar_t* name : {L"name", L"type", L"capacity", L"modify_time", L"size"}) {
    EXPECT_EQ(labels.at(name), L"") << name;
  }
  FileFacts file;
  file.file_name = L"README";
  file.size = 0;
  labels = MakeLabels(file, SIZE{1, 1}, nullptr, Lists());
  EXPECT_EQ(labels.at(L"name"), L"README");
  EXPECT_EQ(labels.at(L"type"), L"");
  EXPECT_EQ(labels.at(L"modify_time"), L"") << "a file time of 0";
  EXPECT_EQ(labels.at(L"size"), L"1 * 1");
}

TEST(ImageInfoLabels, CameraRowsInTheirTextForms) {
  CExifInfo exif;
  exif.date_taken = L"2021:07:04 09:05:00";
  exif.make = L"Maker";
  exif.model = L"Model 7";
  exif.lens_model = L"Lens";
  exif.f_number = L"2.8";
  exif.max_aperture = L"1.7";
  exif.exposure_time = L"10/2500";
  exif.dpi = 300;
  exif.iso = L"400";
  exif.focal_length = L"35.0";
  exif.metering_mode = L"5";
  exif.flash = L"25";
  exif.white_balance = L"0";
  exif.exposure_program = L"3";
  exif.gps = L"30.500000,-120.250000";
  const auto labels = MakeLabels(std::nullopt, SIZE{}, &exif, Lists());
  EXPECT_EQ(labels.at(L"shooting_time"), L"2021-07-04 09:05:00");
  EXPECT_EQ(labels.at(L"firm"), L"Maker");
  EXPECT_EQ(labels.at(L"dev_model"), L"Model 7");
  EXPECT_EQ(labels.at(L"camera_lens"), L"Lens");
  EXPECT_EQ(labels.at(L"aperture_value"), L"F2.8");
  EXPECT_EQ(labels.at(L"max_aperture_value"), L"1.7");
  EXPECT_EQ(labels.at(L"time_of_exposure"), L"10/2500 sec");
  EXPECT_EQ(labels.at(L"resolving_power"), L"300 dpi");
  EXPECT_EQ(labels.at(L"ISO"), L"400");
  EXPECT_EQ(labels.at(L"focal_length"), L"35.0 mm");
  EXPECT_EQ(labels.at(L"test_model"), L"m5");
  EXPECT_EQ(labels.at(L"flash_lamp"), L"fired");
  EXPECT_EQ(labels.at(L"white_balance"), L"auto");
  EXPECT_EQ(labels.at(L"program"), L"p3");
  EXPECT_EQ(labels.at(L"gps"), L"30.500000,-120.250000");
}

TEST(ImageInfoLabels, ListRowsTakeTheirItemOnlyWhenListAndValueFit) {
  const struct {
    const char* what;
    const wchar_t* metering;
    const wchar_t* flash;
    const wchar_t* white_balance;
    const wchar_t* program;
    ExifLists lists;
    const wchar_t* expected_metering;
    const wchar_t* expected_flash;
    const wchar_t* expected_white_balance;
    const wchar_t* expected_program;
  } cases[] = {
      {"first values", L"1", L"16", L"1", L"1", Lists(), L"m1", L"not fired", L"manual", L"p1"},
      {"last values", L"6", L"1", L"2", L"8", Lists(), L"m6", L"fired", L"manual", L"p8"},
      {"out of range", L"255", L"", L"", L"0", Lists(), L"", L"", L"", L""},
      {"zero metering", L"0", L"0", L"0", L"9", Lists(), L"", L"not fired", L"auto", L""},
      {"lists of the wrong length",
       L"1",
       L"1",
       L"1",
       L"1",
       {L"a/b/c", L"only", L"a/b/c", L"a/b"},
       L"",
       L"",
       L"",
       L""},
      {"empty lists", L"1", L"1", L"1", L"1", ExifLists{}, L"", L"", L"", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CExifInfo exif;
    exif.metering_mode = c.metering;
    exif.flash = c.flash;
    exif.white_balance = c.white_balance;
    exif.exposure_program = c.program;
    const auto labels = MakeLabels(std::nullopt, SIZE{}, &exif, c.lists);
    EXPECT_EQ(labels.at(L"test_model"), c.expected_metering);
    EXPECT_EQ(labels.at(L"flash_lamp"), c.expected_flash);
    EXPECT_EQ(labels.at(L"white_balance"), c.expected_white_balance);
    EXPECT_EQ(labels.at(L"program"), c.expected_program);
  }
}

TEST(ImageInfoLabels, ShootingTimeIsReformattedOnlyFromSixParts) {
  const struct {
    const wchar_t* date_taken;
    const wchar_t* shown;
  } cases[] = {
      {L"2021:07:04 09:05:00", L"2021-07-04 09:05:00"},
      {L"2021-7-4 9:5:0", L"2021-07-04 09:05:00"},
      {L"2021:07:04", L"2021:07:04"},
      {L"2021:07:04  09:05:00", L"2021:07:04  09:05:00"},
      // The blank date some cameras write stays as it is.
      {L"    :  :     :  :  ", L"    :  :     :  :  "},
      {L"yesterday", L"yesterday"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(image_info::FormatShootingTime(c.date_taken), c.shown) << c.date_taken;
  }
}

}  // namespace
