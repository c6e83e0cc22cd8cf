// ZSoft PCX pictures: planes, packed bits, palettes and run-length lines.
#include "decoder_support.h"
#include "pcx_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::DecodePicture<CPcxDecoder>(data, size);
}
