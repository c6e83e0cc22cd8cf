#include "effects/current_effect.h"

#include "effects/effect_brightness_contrast.h"
#include "effects/effect_hue_saturation.h"
#include "effects/effect_sharp.h"
#include "framework/com_ptr.h"
#include "image/obj_image.h"

namespace {

bool IsFourByteFormat(const WICPixelFormatGUID& format) {
  return IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA) ||
         IsEqualGUID(format, GUID_WICPixelFormat32bppPBGRA) ||
         IsEqualGUID(format, GUID_WICPixelFormat32bppBGR);
}

}  // namespace

std::unique_ptr<FCImageEffect> CreateEnhancementEffect(int mode) {
  switch (mode) {
    case kEnhanceBrighter:
      return std::make_unique<FCEffectBrightnessContrast>(20, 0);
    case kEnhanceColorful:
      return std::make_unique<FCEffectHueSaturation>(0, 306);
    case kEnhanceSharp:
      return std::make_unique<FCEffectSharp>();
    default:
      return nullptr;
  }
}

void ApplyEnhancement(int mode, FCObjImage& image, FCProgressObserver* observer) {
  if (std::unique_ptr<FCImageEffect> effect = CreateEnhancementEffect(mode)) {
    RunEffect(*effect, image, observer);
  }
}

void ApplyEnhancementToBitmap(int mode, IWICBitmap* bitmap, FCProgressObserver* observer) {
  if (!bitmap || !CreateEnhancementEffect(mode)) {
    return;
  }
  try {
    UINT width = 0;
    UINT height = 0;
    WICPixelFormatGUID format = {};
    ThrowIfFailed(bitmap->GetSize(&width, &height));
    ThrowIfFailed(bitmap->GetPixelFormat(&format));
    if (!IsFourByteFormat(format) || width == 0 || height == 0) {
      return;
    }
    const WICRect all = {0, 0, static_cast<INT>(width), static_cast<INT>(height)};
    ComPtr<IWICBitmapLock> lock;
    ThrowIfFailed(bitmap->Lock(&all, WICBitmapLockRead | WICBitmapLockWrite, lock.Receive()));
    UINT stride = 0;
    UINT size = 0;
    BYTE* memory = nullptr;
    ThrowIfFailed(lock->GetStride(&stride));
    ThrowIfFailed(lock->GetDataPointer(&size, &memory));
    if (!memory || static_cast<UINT64>(stride) != 4ull * width ||
        static_cast<UINT64>(size) != static_cast<UINT64>(stride) * height) {
      return;
    }
    FCObjImage wrapped;
    wrapped.WrapExternal(static_cast<int>(width), static_cast<int>(height), memory);
    ApplyEnhancement(mode, wrapped, observer);
    wrapped.Unwrap();
  } catch (const CComError&) {
  }
}
