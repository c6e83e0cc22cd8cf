#include "effects/effect_lut.h"

void FCEffectLUT::BeginProcess(FCObjImage& /*image*/) {
  for (int i = 0; i < 256; ++i) {
    table_[i] = LookupValue(i);
  }
}

void FCEffectLUT::ApplyToPixel(FCObjImage& /*image*/, int /*x*/, int /*y*/, BYTE* pixel) {
  pixel[0] = static_cast<BYTE>(table_[pixel[0]]);
  pixel[1] = static_cast<BYTE>(table_[pixel[1]]);
  pixel[2] = static_cast<BYTE>(table_[pixel[2]]);
}
