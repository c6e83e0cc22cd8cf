// Truevision TGA pictures: every pixel depth, colour map and run-length form.
#include "decoder_support.h"
#include "tga_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::DecodePicture<CTgaDecoder>(data, size);
}
