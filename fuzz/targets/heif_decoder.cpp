// HEIC and AVIF pictures through the decoder module's HEIF path: the primary
// picture decoded by libheif, cropped, turned and mirrored by our reading of
// the container, alpha made straight, and the EXIF block and ICC profile
// handed on, the EXIF block read the way the viewer reads it.
#include <cstring>

#include "decoder_support.h"
#include "heif_decoder.h"
#include "image/exif_parser.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  CHeifDecoder::AttachLibrary(fuzz::kMaxDecodedPixels);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CHeifDecoder decoder;
  if (!fuzz::DecodeLimited(&decoder, data, size)) {
    return 0;
  }
  // The EXIF block starts at its TIFF header, or is absent.
  const std::vector<uint8_t>& exif = decoder.exif();
  if (!exif.empty()) {
    FUZZ_CHECK(exif.size() >= 8);
    FUZZ_CHECK(std::memcmp(exif.data(), "II*\0", 4) == 0 ||
               std::memcmp(exif.data(), "MM\0*", 4) == 0);
    CExifParser parser;
    parser.Parse(exif.data(), exif.size());
  }
  return 0;
}
