#pragma once

#include <cstdint>
#include <vector>

#include "image_decoder.h"

// Truevision TGA: colour-mapped (8 or 16 bit indices), true colour (15, 16,
// 24, 32 bit) and grey (8 bit, 16 bit with alpha), each plain or run-length
// encoded, in any of the four corner orders.
class CTgaDecoder : public CImageDecoder {
 public:
  // The optional TGA 2.0 footer, the only signature the format has.
  static bool HasFooter(const uint8_t* data, size_t size);

  bool ReadHeader(const uint8_t* data, size_t size) override;
  bool Decode(uint8_t* pixels, size_t stride) override;

 private:
  uint32_t ReadPixel(const uint8_t* at) const;
  uint32_t MapColour(const uint8_t* at, int bits) const;

  int image_type_ = 0;
  int pixel_bits_ = 0;
  int pixel_bytes_ = 0;
  int descriptor_ = 0;
  bool compressed_ = false;
  uint32_t map_first_ = 0;
  std::vector<uint32_t> palette_;  // B, G, R, A packed little-endian
  size_t pixel_data_ = 0;          // offset of the image data
};
