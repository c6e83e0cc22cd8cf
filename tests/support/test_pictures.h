#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace test_support {

// The colour of picture pixel (x, y).
using PixelColour = std::function<COLORREF(int x, int y)>;

// Writes a picture through the platform's encoders; the container follows
// the extension (.png, .jpg, .bmp, .gif, .tif). COM must be initialised.
bool WriteTestPicture(const std::wstring& path, int width, int height, const PixelColour& colour,
                      float jpeg_quality = 0.95f);

// A picture of one colour.
bool WriteSolidPicture(const std::wstring& path, int width, int height, COLORREF colour);

// The header of a top-down 32-bit B, G, R, X device-independent bitmap.
inline BITMAPINFO TopDownBitmapInfo(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace test_support
