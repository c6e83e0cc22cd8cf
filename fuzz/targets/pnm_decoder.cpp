// Netpbm pictures (P1 to P6): header numbers and comments, plain and raw samples.
#include "decoder_support.h"
#include "pnm_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::DecodePicture<CPnmDecoder>(data, size);
}
