#pragma once

#include <cstdint>
#include <string>

// The EXIF and GPS fields the viewer shows, read once per opened frame and
// stored as text in their display forms; a text is empty when its tag is
// absent or has an unexpected type.
struct CExifInfo {
  std::wstring date_taken;  // DateTimeOriginal unchanged, "yyyy:mm:dd hh:mm:ss"
  int32_t orientation = 0;  // 1 to 8; 0 when absent or not to be applied
  std::wstring gps;         // "%f,%f" latitude, longitude; south and west negative
  int32_t dpi = 0;          // the frame's horizontal resolution, rounded
  std::wstring make;
  std::wstring model;
  std::wstring lens_model;
  std::wstring f_number;       // "%.1f"
  std::wstring max_aperture;   // "%.1f"
  std::wstring exposure_time;  // "numerator/denominator", not reduced
  std::wstring iso;
  std::wstring focal_length;  // "%.1f"
  std::wstring metering_mode;
  std::wstring flash;
  std::wstring white_balance;
  std::wstring exposure_program;
};
