#pragma once

#include <cstdint>

#include "image_decoder.h"

// WebP, lossy and lossless, with alpha; an animation shows its first frame.
class CWebpDecoder : public CImageDecoder {
 public:
  static bool HasSignature(const uint8_t* data, size_t size);

  bool ReadHeader(const uint8_t* data, size_t size) override;
  bool Decode(uint8_t* pixels, size_t stride) override;

 private:
  bool DecodeFirstFrame(uint8_t* pixels, size_t stride);

  bool animated_ = false;
};
