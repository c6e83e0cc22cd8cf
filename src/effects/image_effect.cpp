#include "effects/image_effect.h"

#include "image/obj_image.h"

bool FCImageEffect::CanProcess(const FCObjImage& image) const {
  return image.IsValid() && image.ColorBits() >= 24;
}

void RunEffect(FCImageEffect& effect, FCObjImage& image, FCProgressObserver* observer) {
  if (!effect.CanProcess(image)) {
    return;
  }
  effect.BeginProcess(image);
  if (observer && !observer->OnProgress(0)) {
    observer->MarkStopped();
  }
  switch (effect.GetProcessMode()) {
    case FCImageEffect::kProcessWholeImage:
      effect.ApplyToImage(image, observer);
      break;
    case FCImageEffect::kProcessPerPixel: {
      const int width = image.Width();
      const int height = image.Height();
      const int pixel_bytes = image.ColorBits() / 8;
      for (int y = 0; y < height; ++y) {
        BYTE* pixel = image.RowPointer(y);
        for (int x = 0; x < width; ++x, pixel += pixel_bytes) {
          effect.ApplyToPixel(image, x, y, pixel);
        }
        if (!observer) {
          continue;
        }
        // A stop asked for at the start still lets the first row through.
        if (!observer->OnProgress((y + 1) * 100 / height)) {
          observer->MarkStopped();
          return;
        }
        if (observer->IsStopped()) {
          return;
        }
      }
      break;
    }
    default:
      break;
  }
}
