#pragma once

#include "effects/effect_convolute.h"

// 3 x 3 sharpening: -1 around, 18 in the centre, divided by 10, so flat areas
// stay and edges are amplified.
class FCEffectSharp : public FCEffectConvolute {
 public:
  FCEffectSharp() { SetKernel({-1, -1, -1, -1, 18, -1, -1, -1, -1}, 3, 10, 0); }
};
