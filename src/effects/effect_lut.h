#pragma once

#include <cstdint>

#include "effects/image_effect.h"

// Maps each of B, G and R through a 256-entry table filled from LookupValue
// when the effect begins; alpha is left alone.
class FCEffectLUT : public FCImageEffect {
 public:
  void BeginProcess(FCObjImage& image) override;
  void ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) override;

  // New value of channel value i (0 .. 255); only the low byte is used.
  virtual int LookupValue(int i) const = 0;

 private:
  int32_t table_[256] = {};
};
