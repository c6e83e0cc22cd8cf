#include "webp_decoder.h"

#include <cstring>

#include "webp/decode.h"
#include "webp/demux.h"

bool CWebpDecoder::HasSignature(const uint8_t* data, size_t size) {
  return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

bool CWebpDecoder::ReadHeader(const uint8_t* data, size_t size) {
  WebPBitstreamFeatures features;
  if (!data || !HasSignature(data, size) ||
      WebPGetFeatures(data, size, &features) != VP8_STATUS_OK ||
      !SetSize(static_cast<uint64_t>(features.width), static_cast<uint64_t>(features.height))) {
    return false;
  }
  animated_ = features.has_animation != 0;
  data_ = data;
  size_ = size;
  return true;
}

bool CWebpDecoder::Decode(uint8_t* pixels, size_t stride) {
  if (!data_) {
    return false;
  }
  if (animated_) {
    return DecodeFirstFrame(pixels, stride);
  }
  const size_t bytes = stride * height();
  if (stride > static_cast<size_t>(INT32_MAX)) {
    return false;
  }
  // MODE_BGRA: straight alpha, as the module hands out.
  return WebPDecodeBGRAInto(data_, size_, pixels, bytes, static_cast<int>(stride)) != nullptr;
}

bool CWebpDecoder::DecodeFirstFrame(uint8_t* pixels, size_t stride) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) {
    return false;
  }
  options.color_mode = MODE_BGRA;
  options.use_threads = 0;
  WebPData webp_data = {data_, size_};
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp_data, &options);
  if (!decoder) {
    return false;
  }
  WebPAnimInfo info;
  uint8_t* canvas = nullptr;
  int timestamp = 0;
  const bool ok = WebPAnimDecoderGetInfo(decoder, &info) && info.canvas_width == width() &&
                  info.canvas_height == height() &&
                  WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) && canvas;
  if (ok) {
    const size_t row_bytes = size_t{width()} * 4;
    for (uint32_t y = 0; y < height(); ++y) {
      std::memcpy(pixels + y * stride, canvas + y * row_bytes, row_bytes);
    }
  }
  WebPAnimDecoderDelete(decoder);
  return ok;
}
