#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/gdi_objects.h"

// A picture of a skin, decoded once: a 32-bit top-down DIB section with
// premultiplied alpha, ready for AlphaBlend.
class CSkinImage {
 public:
  // Pictures larger than this on a side are refused.
  static constexpr int kMaxSide = 8192;

  // Decodes PNG, BMP, JPEG or GIF bytes through the Windows Imaging
  // Component (COM must be initialised on the thread); null when the bytes
  // are not a picture.
  static std::shared_ptr<CSkinImage> Decode(const std::vector<uint8_t>& bytes);
  // An image of the given pixels (premultiplied BGRA, top row first).
  static std::shared_ptr<CSkinImage> FromPixels(int width, int height, const uint32_t* pixels);

  HBITMAP bitmap() const { return bitmap_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Premultiplied BGRA, top row first.
  const uint32_t* pixels() const { return pixels_; }

 private:
  CBitmap bitmap_;
  uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// A 32-bit top-down DIB section of the given size; bits receives its pixels.
HBITMAP CreateDib32(int width, int height, uint32_t** bits);
