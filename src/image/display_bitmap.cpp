#include "image/display_bitmap.h"

#include "config/app_config.h"
#include "effects/current_effect.h"
#include "framework/gdi_objects.h"
#include "image/obj_image.h"

bool ComposeDisplayBitmap(IWICBitmapSource* source, HBITMAP& out) {
  FCObjImage image;
  if (!image.LoadFromWicSource(source, GUID_WICPixelFormat32bppPBGRA)) {
    return false;
  }
  ApplyCurrentEffect(image, nullptr);

  HBITMAP bitmap = CreateCompatibleBitmap(CClientDC(nullptr), image.Width(), image.Height());
  if (!bitmap) {
    return false;
  }
  const CAppConfig* config = CAppConfig::GetInstance();
  {
    CMemoryBitmapDC dc(bitmap, config->canvas_brush);
    image.DrawTo(dc, RECT{0, 0, image.Width(), image.Height()});
  }
  if (out) {
    DeleteObject(out);
  }
  out = bitmap;
  return true;
}
