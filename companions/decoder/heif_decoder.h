#pragma once

#include <cstdint>
#include <memory>

#include "image_decoder.h"
#include "pixel_transform.h"

struct heif_context;
struct heif_image;

// HEIF pictures: HEIC (HEVC) and AVIF (AV1), 8 to 12 bits, with alpha. The
// primary picture is shown, cropped, turned and mirrored as the file says;
// its EXIF block and ICC profile are handed on.
class CHeifDecoder : public CImageDecoder {
 public:
  CHeifDecoder();
  ~CHeifDecoder() override;
  CHeifDecoder(const CHeifDecoder&) = delete;
  CHeifDecoder& operator=(const CHeifDecoder&) = delete;

  // An ISO base media file whose brands name a HEIF picture.
  static bool HasSignature(const uint8_t* data, size_t size);

  // libheif registers its codecs, whose tables are allocated, as the code is
  // loaded. A module that loads and unloads the code calls these as it does,
  // so the tables go with it. Attaching also puts our guards in front of the
  // codecs (heif_codec_guard.h), which refuse pictures of more than
  // max_pixels whatever size the file claims for them.
  static void AttachLibrary(uint64_t max_pixels = kMaxPixels);
  static void DetachLibrary();

  // The coded picture is decoded here already: its size is only certain
  // once the container's geometry has been applied to it.
  bool ReadHeader(const uint8_t* data, size_t size) override;
  bool Decode(uint8_t* pixels, size_t stride) override;

 private:
  void ReadMetadata(const struct heif_image_handle* handle);

  heif_context* context_ = nullptr;
  heif_image* image_ = nullptr;
  std::unique_ptr<CPixelTransform> transform_;
};
