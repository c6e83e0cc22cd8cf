#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/gdi_objects.h"
#include "support/imaging.h"
#include "support/test_pictures.h"

namespace test_support {

inline std::wstring Fixture(const std::wstring& name) {
  return test_support::EnvironmentPath(L"LUMORA_IMAGE_FIXTURES") + L"\\" + name;
}

struct Rgb {
  int r, g, b;
};

// The block picture of the orientation fixtures: 2 x 3 blocks of 8 x 8.
constexpr Rgb kBlocks[3][2] = {
    {{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 0}}, {{255, 0, 255}, {0, 255, 255}}};

inline ::testing::AssertionResult ColourNear(const uint8_t* bgra, Rgb expected, int tolerance) {
  if (std::abs(bgra[2] - expected.r) <= tolerance && std::abs(bgra[1] - expected.g) <= tolerance &&
      std::abs(bgra[0] - expected.b) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "got (" << int{bgra[2]} << "," << int{bgra[1]} << "," << int{bgra[0]} << ") expected ("
         << expected.r << "," << expected.g << "," << expected.b << ")";
}

// The stored block that EXIF orientation shows at display block (x, y);
// stored blocks are 2 wide and 3 high.
inline Rgb DisplayedBlock(int orientation, int x, int y) {
  const int w = 2;
  const int h = 3;
  int sx = x;
  int sy = y;
  switch (orientation) {
    case 2:
      sx = w - 1 - x;
      break;
    case 3:
      sx = w - 1 - x;
      sy = h - 1 - y;
      break;
    case 4:
      sy = h - 1 - y;
      break;
    case 5:
      sx = y;
      sy = x;
      break;
    case 6:
      sx = y;
      sy = h - 1 - x;
      break;
    case 7:
      sx = w - 1 - y;
      sy = h - 1 - x;
      break;
    case 8:
      sx = w - 1 - y;
      sy = x;
      break;
    default:
      break;
  }
  return kBlocks[sy][sx];
}

// Pixels of a device-dependent bitmap as top-down 32-bit B, G, R, X.
inline test_support::Pixels ReadHBitmap(HBITMAP bitmap) {
  test_support::Pixels pixels;
  BITMAP info = {};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) {
    ADD_FAILURE() << "not a bitmap";
    return pixels;
  }
  pixels.width = static_cast<UINT>(info.bmWidth);
  pixels.height = static_cast<UINT>(info.bmHeight);
  pixels.bgra.resize(size_t{pixels.width} * pixels.height * 4);
  BITMAPINFO header = TopDownBitmapInfo(info.bmWidth, info.bmHeight);
  const CClientDC screen(nullptr);
  const int rows =
      GetDIBits(screen, bitmap, 0, pixels.height, pixels.bgra.data(), &header, DIB_RGB_COLORS);
  EXPECT_EQ(rows, info.bmHeight);
  return pixels;
}

}  // namespace test_support
