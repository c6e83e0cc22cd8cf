#include "effects/effect_mirror.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "image/obj_image.h"

void FCEffectMirror::ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) {
  const int width = image.Width();
  if (x >= width / 2) {
    return;
  }
  BYTE* opposite = image.PixelPointer(width - 1 - x, y);
  if (image.ColorBits() == 32) {
    uint32_t left = 0;
    uint32_t right = 0;
    std::memcpy(&left, pixel, 4);
    std::memcpy(&right, opposite, 4);
    std::memcpy(pixel, &right, 4);
    std::memcpy(opposite, &left, 4);
    return;
  }
  for (int i = 0; i < image.ColorBits() / 8; ++i) {
    std::swap(pixel[i], opposite[i]);
  }
}
