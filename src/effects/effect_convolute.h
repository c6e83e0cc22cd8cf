#pragma once

#include <cstdint>
#include <vector>

#include "effects/image_effect.h"
#include "image/obj_image.h"

// Convolves B, G and R with a square kernel. Pixels are read from a copy taken
// when the effect begins, so results do not feed back; outside the picture the
// border pixel repeats. Alpha is left alone.
class FCEffectConvolute : public FCImageEffect {
 public:
  // kernel holds size x size weights, row-major; size is odd.
  void SetKernel(const std::vector<int32_t>& kernel, int size, int divisor, int offset);

  void BeginProcess(FCObjImage& image) override;
  void ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) override;

 private:
  std::vector<int32_t> kernel_;
  int32_t size_ = 1;
  int32_t divisor_ = 1;
  int32_t offset_ = 0;
  FCObjImage source_;
};
