#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/imaging.h"
#include "support/test_paths.h"

namespace test_support {

using Bytes = std::vector<uint8_t>;

inline std::wstring FixtureFolder() {
  return test_support::EnvironmentPath(L"LUMORA_DECODER_FIXTURES");
}

inline std::wstring FixturePath(const std::wstring& name) { return FixtureFolder() + L"\\" + name; }

inline Bytes ReadFixture(const std::wstring& name) {
  const std::string bytes = test_support::ReadFileBytes(FixtureFolder() + L"\\" + name);
  return Bytes(bytes.begin(), bytes.end());
}

// Every decodable picture the build wrote.
inline const std::vector<std::wstring>& FixtureNames() {
  static const std::vector<std::wstring> names = {
      L"tga_24.tga",         L"tga_24_rle.tga",     L"tga_32.tga",
      L"tga_32_rle.tga",     L"tga_8_mapped.tga",   L"tga_8_mapped_rle.tga",
      L"tga_8_grey.tga",     L"tga_8_grey_rle.tga", L"pcx_24.pcx",
      L"pcx_8.pcx",          L"pcx_32.pcx",         L"pnm_plain.ppm",
      L"pnm_raw.ppm",        L"pnm_raw16.ppm",      L"pnm_plain.pgm",
      L"pnm_raw.pgm",        L"pnm_plain.pbm",      L"pnm_raw.pbm",
      L"webp_lossless.webp", L"webp_alpha.webp",    L"webp_lossy.webp",
      L"heic_irot.heic",     L"heic_10bit.heic",    L"heic_clap_irot.heic",
      L"avif_irot.avif",     L"avif_alpha.avif",    L"raw_preview.dng",
      L"raw_sensor.dng"};
  return names;
}

// Largest difference of any channel, alpha included; the colour of a pixel
// both sides leave fully transparent does not count.
inline int MaxDifference(const test_support::Pixels& a, const test_support::Pixels& b) {
  int worst = 0;
  for (size_t i = 0; i + 3 < a.bgra.size() && i + 3 < b.bgra.size(); i += 4) {
    const bool both_clear = a.bgra[i + 3] == 0 && b.bgra[i + 3] == 0;
    for (size_t c = both_clear ? 3 : 0; c < 4; ++c) {
      const int difference = int{a.bgra[i + c]} - int{b.bgra[i + c]};
      worst = std::max(worst, difference < 0 ? -difference : difference);
    }
  }
  return worst;
}

inline std::wstring ExtensionOf(const std::wstring& name) {
  return name.substr(name.rfind(L'.') + 1);
}

}  // namespace test_support
