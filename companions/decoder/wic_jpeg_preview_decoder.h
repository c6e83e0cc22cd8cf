#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg_preview_decoder.h"

struct IWICBitmapSource;
struct IWICImagingFactory;

// JPEG previews through the caller's WIC factory, which must outlive this.
class CWicJpegPreviewDecoder : public CJpegPreviewDecoder {
 public:
  explicit CWicJpegPreviewDecoder(IWICImagingFactory* factory);
  ~CWicJpegPreviewDecoder() override;
  CWicJpegPreviewDecoder(const CWicJpegPreviewDecoder&) = delete;
  CWicJpegPreviewDecoder& operator=(const CWicJpegPreviewDecoder&) = delete;

  bool Open(const uint8_t* jpeg, size_t size) override;
  uint32_t width() const override { return width_; }
  uint32_t height() const override { return height_; }
  bool CopyPixels(uint8_t* pixels, size_t stride) override;

 private:
  IWICImagingFactory* factory_;
  // The first frame converted to 32bppBGRA, decoded as its pixels are copied.
  IWICBitmapSource* source_ = nullptr;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
};
