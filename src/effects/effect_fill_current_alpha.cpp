#include "effects/effect_fill_current_alpha.h"

#include <algorithm>

namespace main_view {

CEffectFillCurrentAlpha::CEffectFillCurrentAlpha(int percent)
    : percent_(std::clamp(percent, 0, 100)) {}

void CEffectFillCurrentAlpha::ApplyToPixel(FCObjImage& /*image*/, int /*x*/, int /*y*/,
                                           BYTE* pixel) {
  pixel[3] = static_cast<BYTE>(pixel[3] * percent_ / 100);
  PremultiplyPixel(pixel);
}

}  // namespace main_view
