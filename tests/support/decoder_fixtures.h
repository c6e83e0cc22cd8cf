#pragma once

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
      L"webp_lossless.webp", L"webp_alpha.webp",    L"webp_lossy.webp"};
  return names;
}

inline std::wstring ExtensionOf(const std::wstring& name) {
  return name.substr(name.rfind(L'.') + 1);
}

}  // namespace test_support
