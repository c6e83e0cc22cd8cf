// WebP pictures, lossy, lossless and animated, through the decoder module's path.
#include "decoder_support.h"
#include "webp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::DecodePicture<CWebpDecoder>(data, size);
}
