#include "image_decoder.h"

bool CImageDecoder::SetSize(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0 || width > max_pixels_ || height > max_pixels_ ||
      width * height > max_pixels_) {
    return false;
  }
  width_ = static_cast<uint32_t>(width);
  height_ = static_cast<uint32_t>(height);
  return true;
}
