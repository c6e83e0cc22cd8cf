#include "widgets/resource_picture.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>

#include "config/app_config.h"

bool LoadPictureFile(const std::wstring& path, FCObjImage& image, bool premultiplied) {
  image.Release();
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(path.c_str()));
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) {
    return false;
  }
  const int width = static_cast<int>(bitmap->GetWidth());
  const int height = static_cast<int>(bitmap->GetHeight());
  if (!image.Allocate(width, -height, 32)) {
    return false;
  }
  Gdiplus::Rect all(0, 0, width, height);
  Gdiplus::BitmapData data = {};
  if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead,
                       premultiplied ? PixelFormat32bppPARGB : PixelFormat32bppARGB,
                       &data) != Gdiplus::Ok) {
    image.Release();
    return false;
  }
  for (int y = 0; y < height; ++y) {
    std::memcpy(image.RowPointer(y), static_cast<const BYTE*>(data.Scan0) + y * data.Stride,
                static_cast<size_t>(width) * 4);
  }
  bitmap->UnlockBits(&data);
  return true;
}

bool LoadResourcePicture(const std::wstring& name, FCObjImage& image, bool premultiplied) {
  return LoadPictureFile(CAppConfig::GetProgramFolder() + L"resources\\" + name, image,
                         premultiplied);
}
