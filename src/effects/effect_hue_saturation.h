#pragma once

#include <cstdint>

#include "effects/image_effect.h"

// Shifts hue and scales saturation through tables chosen by the pixel's
// colour sector (six sectors around the hue circle); lightness and alpha stay.
class FCEffectHueSaturation : public FCImageEffect {
 public:
  static constexpr int kSectors = 6;

  // The same hue shift (0 .. 255 scale) and saturation gain (in 1/255 units,
  // 255 keeps the saturation) for every sector.
  FCEffectHueSaturation(int hue_shift, int saturation_gain);

  void SetSector(int sector, int hue_shift, int saturation_gain);
  void ApplyToPixel(FCObjImage& image, int x, int y, BYTE* pixel) override;

  // Sector of a hue on the 0 .. 255 scale.
  static int SectorOfHue(double h255);

 private:
  int32_t hue_tables_[kSectors][256];
  int32_t saturation_tables_[kSectors][256];
};
