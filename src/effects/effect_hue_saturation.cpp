#include "effects/effect_hue_saturation.h"

#include <algorithm>

namespace {

double HslChannel(double m1, double m2, double x) {
  if (x < 0) {
    x += 6;
  } else if (x >= 6) {
    x -= 6;
  }
  if (x < 1) {
    return m1 + (m2 - m1) * x;
  }
  if (x < 3) {
    return m2;
  }
  if (x < 4) {
    return m1 + (m2 - m1) * (4 - x);
  }
  return m1;
}

BYTE ToChannel(double value) {
  return static_cast<BYTE>(static_cast<int>(std::clamp(value * 255, 0.0, 255.0) + 0.5));
}

}  // namespace

FCEffectHueSaturation::FCEffectHueSaturation(int hue_shift, int saturation_gain) {
  for (int sector = 0; sector < kSectors; ++sector) {
    SetSector(sector, hue_shift, saturation_gain);
  }
}

void FCEffectHueSaturation::SetSector(int sector, int hue_shift, int saturation_gain) {
  if (sector < 0 || sector >= kSectors) {
    return;
  }
  for (int i = 0; i < 256; ++i) {
    int hue = i + hue_shift;
    if (hue > 255) {
      hue -= 255;
    } else if (hue < 0) {
      hue += 255;
    }
    hue_tables_[sector][i] = std::clamp(hue, 0, 255);
    const long long scaled = static_cast<long long>(i) * saturation_gain;
    saturation_tables_[sector][i] =
        scaled >= 255 * 255 ? 255 : static_cast<int32_t>(std::max(0LL, scaled / 255));
  }
}

int FCEffectHueSaturation::SectorOfHue(double h255) {
  if (h255 < 21) return 0;
  if (h255 < 64) return 1;
  if (h255 < 106) return 2;
  if (h255 < 149) return 3;
  if (h255 < 192) return 4;
  if (h255 < 234) return 5;
  return 0;
}

void FCEffectHueSaturation::ApplyToPixel(FCObjImage& /*image*/, int /*x*/, int /*y*/, BYTE* pixel) {
  const int blue = pixel[0];
  const int green = pixel[1];
  const int red = pixel[2];
  const double r = red / 255.0;
  const double g = green / 255.0;
  const double b = blue / 255.0;
  const int max = std::max({red, green, blue});
  const int min = std::min({red, green, blue});

  const double lightness = (max + min) * 0.5 / 255;
  double hue = 0;
  double saturation = 0;
  if (max != min) {
    const double d = (max - min) / 255.0;
    saturation = lightness < 0.5 ? d / ((max + min) / 255.0) : d / (2 - max / 255.0 - min / 255.0);
    if (red == max) {
      hue = (g - b) / d;
    } else if (green == max) {
      hue = (b - r) / d + 2;
    } else {
      hue = (r - g) / d + 4;
    }
    hue /= 6;
    if (hue < 0) {
      hue += 1;
    }
  }

  const double h255 = hue * 255;
  const int sector = SectorOfHue(h255);
  const int hue_index = static_cast<int>(std::clamp(h255, 0.0, 255.0) + 0.5);
  const int saturation_index = static_cast<int>(std::clamp(saturation * 255, 0.0, 255.0) + 0.5);
  const double new_hue = hue_tables_[sector][hue_index] / 255.0;
  const double new_saturation = saturation_tables_[sector][saturation_index] / 255.0;

  if (new_saturation == 0) {
    const BYTE grey = ToChannel(lightness);
    pixel[0] = pixel[1] = pixel[2] = grey;
    return;
  }
  const double m2 = lightness > 0.5 ? lightness + new_saturation - lightness * new_saturation
                                    : lightness * (1 + new_saturation);
  const double m1 = 2 * lightness - m2;
  const double h6 = new_hue * 6;
  pixel[2] = ToChannel(HslChannel(m1, m2, h6 + 2));
  pixel[1] = ToChannel(HslChannel(m1, m2, h6));
  pixel[0] = ToChannel(HslChannel(m1, m2, h6 - 2));
}
