#include "effects/effect_brightness_contrast.h"

int FCEffectBrightnessContrast::LookupValue(int i) const {
  const double v = ((contrast_ + 100) / 100.0) * (i - 128) + (brightness_ + 128) + 0.5;
  // Truncated toward zero, then clamped: -127.5 becomes -127, then 0. The
  // range checks come first so extreme parameters cannot overflow the cast.
  if (v >= 255.0) {
    return 255;
  }
  if (v < 1.0) {
    return 0;
  }
  return static_cast<int>(v);
}
