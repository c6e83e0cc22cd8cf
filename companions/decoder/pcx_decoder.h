#pragma once

#include <cstdint>

#include "image_decoder.h"

// ZSoft PCX: 1 bit with 1 to 4 planes, 2 and 4 bit packed (header palette),
// 8 bit (palette at the end of the file; grey before version 5), 24 and 32 bit as 3 or 4
// planes; run-length encoded or plain.
class CPcxDecoder : public CImageDecoder {
 public:
  static bool HasSignature(const uint8_t* data, size_t size);

  bool ReadHeader(const uint8_t* data, size_t size) override;
  bool Decode(uint8_t* pixels, size_t stride) override;

 private:
  void ConvertLine(const uint8_t* line, uint8_t* out) const;

  int bits_ = 0;
  int planes_ = 0;
  size_t bytes_per_line_ = 0;
  bool compressed_ = false;
  uint32_t palette_[256] = {};  // B, G, R, A packed little-endian
};
