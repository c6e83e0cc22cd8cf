#pragma once

#include <wincodec.h>

#include <memory>

#include "effects/image_effect.h"

class FCObjImage;

// The display enhancements the user can switch on; the current one is
// CAppConfig::current_effect and applies to everything rendered for display,
// never to what is saved, copied or printed. A render is handed its mode with
// its request (CDisplayOptions), so one that started finishes with its mode.
enum DisplayEnhancement {
  kEnhanceNone = 0,
  kEnhanceBrighter = 1,  // brightness 20, contrast 0
  kEnhanceColorful = 2,  // saturation 306/255 in every colour sector
  kEnhanceSharp = 3,     // 3 x 3 sharpening
};

// The effect of a mode; null for kEnhanceNone and unknown values.
std::unique_ptr<FCImageEffect> CreateEnhancementEffect(int mode);

// Runs the effect of mode on image; observer may be null.
void ApplyEnhancement(int mode, FCObjImage& image, FCProgressObserver* observer);

// The same on an in-memory 32 bpp WIC bitmap, edited in place while locked.
// Nothing happens unless the lock's stride is exactly 4 x width and its size
// stride x height.
void ApplyEnhancementToBitmap(int mode, IWICBitmap* bitmap, FCProgressObserver* observer);
