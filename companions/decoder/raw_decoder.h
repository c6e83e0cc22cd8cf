#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "exif_block_builder.h"
#include "image_decoder.h"
#include "jpeg_preview_decoder.h"
#include "pixel_transform.h"

class LibRaw;
class CRawFileStream;

// Camera RAW files, through LibRaw: the embedded preview when it is at least
// as large as a half-size development of the sensor data (fast), otherwise
// that half-size development. Both are turned upright by the orientation
// the RAW file records. Its EXIF fields are handed on as an EXIF block.
class CRawDecoder : public CImageDecoder {
 public:
  // jpeg_decoder decodes JPEG previews; without it every file with a JPEG
  // preview is developed from its sensor data.
  explicit CRawDecoder(std::unique_ptr<CJpegPreviewDecoder> jpeg_decoder);
  ~CRawDecoder() override;
  CRawDecoder(const CRawDecoder&) = delete;
  CRawDecoder& operator=(const CRawDecoder&) = delete;

  // Identifies the file and prepares the picture: the preview is opened, or
  // the sensor data developed, here already, since the picture's size is
  // only certain then.
  bool ReadHeader(const uint8_t* data, size_t size) override;
  bool Decode(uint8_t* pixels, size_t stride) override;

  // Whether ReadHeader chose the embedded preview.
  bool uses_preview() const { return preview_jpeg_ || preview_bitmap_; }

 private:
  static void OnExifField(void* context, int tag, int type, int length, unsigned int order,
                          void* stream, long long base);
  bool OpenPreview();
  bool OpenJpegPreview(const uint8_t* jpeg, size_t size);
  bool OpenBitmapPreview();
  bool Develop();
  void FinishExif();
  // The picture before its orientation is applied; starts the transform.
  void SetStoredSize(uint32_t width, uint32_t height);
  // LibRaw's orientation code: 4 swaps the axes, 2 turns rows, 1 columns over.
  static void ApplyFlip(int flip, CPixelTransform* transform);

  std::unique_ptr<CJpegPreviewDecoder> jpeg_decoder_;
  // Declared before raw_, which reads it until it is destroyed.
  std::unique_ptr<CRawFileStream> stream_;
  std::unique_ptr<LibRaw> raw_;
  CExifBlockBuilder exif_fields_;
  // The chosen picture: the JPEG preview open in jpeg_decoder_, or 32-bit
  // pixels of a bitmap preview or the development, width x 4 bytes a row.
  bool preview_jpeg_ = false;
  bool preview_bitmap_ = false;
  std::vector<uint8_t> bgra_;
  uint32_t stored_width_ = 0;
  uint32_t stored_height_ = 0;
  std::unique_ptr<CPixelTransform> transform_;
};
