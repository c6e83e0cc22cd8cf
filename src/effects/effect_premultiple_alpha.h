#pragma once

#include "effects/image_effect.h"

// Base of the effects that end with premultiplied alpha; they need 32 bpp.
class FCEffectPremultipleAlpha : public FCImageEffect {
 public:
  bool CanProcess(const FCObjImage& image) const override;

 protected:
  FCEffectPremultipleAlpha() = default;

  // B, G and R of a B,G,R,A pixel become c * a / 255.
  static void PremultiplyPixel(BYTE* pixel) {
    const int alpha = pixel[3];
    pixel[0] = static_cast<BYTE>(pixel[0] * alpha / 255);
    pixel[1] = static_cast<BYTE>(pixel[1] * alpha / 255);
    pixel[2] = static_cast<BYTE>(pixel[2] * alpha / 255);
  }
};
