#pragma once

#include <cstdint>

#include "image_decoder.h"

// Netpbm PBM, PGM and PPM (P1 to P6), plain and raw, with any maximum value
// up to 65535.
class CPnmDecoder : public CImageDecoder {
 public:
  static bool HasSignature(const uint8_t* data, size_t size);

  bool ReadHeader(const uint8_t* data, size_t size) override;
  bool Decode(uint8_t* pixels, size_t stride) override;

 private:
  bool ReadNumber(size_t* at, uint32_t* value) const;
  bool SkipSpaceAndComments(size_t* at) const;

  int kind_ = 0;  // 1 to 6 as in the magic number
  uint32_t max_value_ = 1;
  size_t pixel_data_ = 0;  // offset of the first sample
};
