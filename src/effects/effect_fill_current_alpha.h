#pragma once

#include <cstdint>

#include "effects/effect_premultiple_alpha.h"

namespace main_view {

// Fades a straight-alpha picture to percent per cent and premultiplies it,
// ready for FCObjImage::DrawTo.
class CEffectFillCurrentAlpha : public FCEffectPremultipleAlpha {
 public:
  // percent is clamped to 0 .. 100.
  explicit CEffectFillCurrentAlpha(int percent);

  void ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) override;

 private:
  int32_t percent_;
};

}  // namespace main_view
