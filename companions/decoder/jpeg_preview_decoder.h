#pragma once

#include <cstddef>
#include <cstdint>

// Decodes the JPEG previews camera RAW files carry: the module's is the
// platform's JPEG codec (CWicJpegPreviewDecoder).
class CJpegPreviewDecoder {
 public:
  virtual ~CJpegPreviewDecoder() = default;

  // Reads the JPEG's header; false when it cannot be decoded. The data stays
  // valid until the pixels are copied or Open is called again.
  virtual bool Open(const uint8_t* jpeg, size_t size) = 0;
  // The size after a successful Open.
  virtual uint32_t width() const = 0;
  virtual uint32_t height() const = 0;
  // After Open: height() rows of stride bytes (at least 4 x width()) of
  // 32-bit B, G, R, A pixels. False on damaged data.
  virtual bool CopyPixels(uint8_t* pixels, size_t stride) = 0;
};
