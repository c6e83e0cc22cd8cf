#pragma once

#include <cstdint>
#include <memory>
#include <new>

#include "fuzz_support.h"
#include "image_decoder.h"

namespace fuzz {

// A header may claim up to CImageDecoder::kMaxPixels, which compressed data
// can fill from a few hundred bytes; that is allowed, but decoding hundreds of
// megabytes under the sanitizers would stall the search. Pictures up to this
// many pixels are decoded.
constexpr uint64_t kMaxDecodedPixels = uint64_t{1} << 22;

// What the module does with a file of this format: header, then the pixels
// into a buffer of exactly the stride the tests use, so that any write past
// a row or past the last one is caught.
template <class Decoder>
int DecodePicture(const uint8_t* data, size_t size) {
  Decoder decoder;
  if (!decoder.ReadHeader(data, size)) {
    return 0;
  }
  FUZZ_CHECK(decoder.width() > 0 && decoder.height() > 0);
  const uint64_t pixels = uint64_t{decoder.width()} * decoder.height();
  FUZZ_CHECK(pixels <= CImageDecoder::kMaxPixels);
  if (pixels > kMaxDecodedPixels) {
    return 0;
  }
  const size_t stride = size_t{decoder.width()} * 4;
  std::unique_ptr<uint8_t[]> bgra(new uint8_t[stride * decoder.height()]);
  decoder.Decode(bgra.get(), stride);
  return 0;
}

// The decoders that decode while reading the header (HEIF, camera RAW) are
// limited to kMaxDecodedPixels before they read it; then the pixels go into
// a buffer of exactly the module's stride. False when the header is refused.
inline bool DecodeLimited(CImageDecoder* decoder, const uint8_t* data, size_t size) {
  decoder->set_max_pixels(kMaxDecodedPixels);
  if (!decoder->ReadHeader(data, size)) {
    return false;
  }
  FUZZ_CHECK(decoder->width() > 0 && decoder->height() > 0);
  FUZZ_CHECK(uint64_t{decoder->width()} * decoder->height() <= kMaxDecodedPixels);
  const size_t stride = size_t{decoder->width()} * 4;
  std::unique_ptr<uint8_t[]> bgra(new uint8_t[stride * decoder->height()]);
  decoder->Decode(bgra.get(), stride);
  return true;
}

}  // namespace fuzz
