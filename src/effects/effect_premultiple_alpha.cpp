#include "effects/effect_premultiple_alpha.h"

#include "image/obj_image.h"

bool FCEffectPremultipleAlpha::CanProcess(const FCObjImage& image) const {
  return image.IsValid() && image.ColorBits() == 32;
}
