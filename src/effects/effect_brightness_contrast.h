#pragma once

#include <cstdint>

#include "effects/effect_lut.h"

// brightness is added to the mid level; contrast is the per cent added to the
// slope (0 keeps it).
class FCEffectBrightnessContrast : public FCEffectLUT {
 public:
  FCEffectBrightnessContrast(int brightness, int contrast)
      : brightness_(brightness), contrast_(contrast) {}

  int LookupValue(int i) const override;

 private:
  int32_t brightness_;
  int32_t contrast_;
};
