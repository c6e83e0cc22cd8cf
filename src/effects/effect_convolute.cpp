#include "effects/effect_convolute.h"

#include <algorithm>

void FCEffectConvolute::SetKernel(const std::vector<int32_t>& kernel, int size, int divisor,
                                  int offset) {
  if (size < 1 || kernel.size() != static_cast<size_t>(size) * size) {
    return;
  }
  kernel_ = kernel;
  size_ = size;
  // A zero divisor would fault; treat it as no division.
  divisor_ = divisor == 0 ? 1 : divisor;
  offset_ = offset;
}

void FCEffectConvolute::BeginProcess(FCObjImage& image) { source_ = image; }

void FCEffectConvolute::ApplyToPixel(FCObjImage& /*image*/, int x, int y, BYTE* pixel) {
  if (!source_.IsValid() || kernel_.empty()) {
    return;
  }
  const int width = source_.Width();
  const int height = source_.Height();
  const int pixel_bytes = source_.ColorBits() / 8;
  const int channels = pixel_bytes >= 3 ? 3 : 1;
  const int half = size_ / 2;
  int sums[3] = {0, 0, 0};
  const int32_t* weight = kernel_.data();
  for (int r = 0; r < size_; ++r) {
    const int sy = std::clamp(y - half + r, 0, height - 1);
    const BYTE* row = source_.RowPointer(sy);
    for (int c = 0; c < size_; ++c, ++weight) {
      const int sx = std::clamp(x - half + c, 0, width - 1);
      const BYTE* from = row + sx * pixel_bytes;
      for (int channel = 0; channel < channels; ++channel) {
        sums[channel] += *weight * from[channel];
      }
    }
  }
  for (int channel = 0; channel < channels; ++channel) {
    const int value = sums[channel] / divisor_ + offset_;
    pixel[channel] = static_cast<BYTE>(value >= 255 ? 255 : (value <= 0 ? 0 : value));
  }
}
