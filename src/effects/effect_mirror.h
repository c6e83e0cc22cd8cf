#pragma once

#include "effects/image_effect.h"

// Mirrors the picture horizontally; the middle column of an odd width stays.
class FCEffectMirror : public FCImageEffect {
 public:
  void ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) override;
};
