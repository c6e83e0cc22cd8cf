#include "image/display_bitmap.h"

#include "config/app_config.h"
#include "effects/current_effect.h"
#include "framework/gdi_objects.h"
#include "image/obj_image.h"

CDisplayOptions CDisplayOptions::Current() {
  CDisplayOptions options;
  if (const CAppConfig* config = CAppConfig::GetInstance()) {
    options.effect = config->current_effect;
    options.canvas = config->canvas_back_color;
    options.colour_managed = !config->ignore_embedded_icc;
  }
  return options;
}

bool ComposeDisplayBitmap(IWICBitmapSource* source, const CDisplayOptions& options, HBITMAP& out) {
  FCObjImage image;
  if (!image.LoadFromWicSource(source, GUID_WICPixelFormat32bppPBGRA)) {
    return false;
  }
  ApplyEnhancement(options.effect, image, nullptr);

  HBITMAP bitmap = CreateCompatibleBitmap(CClientDC(nullptr), image.Width(), image.Height());
  if (!bitmap) {
    return false;
  }
  // A brush of this render's own: the settings' brush belongs to the
  // user-interface thread, which replaces it when the colour changes.
  CBrush canvas;
  canvas.CreateSolidBrush(options.canvas);
  {
    CMemoryBitmapDC dc(bitmap, canvas.get());
    image.DrawTo(dc, RECT{0, 0, image.Width(), image.Height()});
  }
  if (out) {
    DeleteObject(out);
  }
  out = bitmap;
  return true;
}
