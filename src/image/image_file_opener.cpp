#include "image/image_file_opener.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>

#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "image/wic_factory.h"

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// Metafiles are vector pictures; rasterise them no larger than this.
constexpr UINT kMaxMetafileSide = 8192;

struct GdiPlusImageDeleter {
  void operator()(GpImage* image) const { GdipDisposeImage(image); }
};
using GdiPlusImagePtr = std::unique_ptr<GpImage, GdiPlusImageDeleter>;

// A 32bppARGB bitmap with the metafile drawn onto transparency.
GdiPlusImagePtr RasteriseMetafile(GpImage* metafile) {
  UINT width = 0;
  UINT height = 0;
  if (GdipGetImageWidth(metafile, &width) != Ok || GdipGetImageHeight(metafile, &height) != Ok ||
      width == 0 || height == 0) {
    return nullptr;
  }
  const UINT longest = std::max(width, height);
  if (longest > kMaxMetafileSide) {
    width = std::max<UINT>(
        1, static_cast<UINT>(static_cast<UINT64>(width) * kMaxMetafileSide / longest));
    height = std::max<UINT>(
        1, static_cast<UINT>(static_cast<UINT64>(height) * kMaxMetafileSide / longest));
  }
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromScan0(static_cast<INT>(width), static_cast<INT>(height), 0,
                                PixelFormat32bppARGB, nullptr, &bitmap) != Ok) {
    return nullptr;
  }
  GdiPlusImagePtr owned(bitmap);
  GpGraphics* graphics = nullptr;
  if (GdipGetImageGraphicsContext(bitmap, &graphics) != Ok) {
    return nullptr;
  }
  GdipGraphicsClear(graphics, 0);
  const Status drawn = GdipDrawImageRectI(graphics, metafile, 0, 0, static_cast<INT>(width),
                                          static_cast<INT>(height));
  GdipDeleteGraphics(graphics);
  return drawn == Ok ? std::move(owned) : nullptr;
}

// GDI+ makes bitmaps of raster files directly; some GDI+ versions refuse to
// make one of a metafile, which is then loaded as an image and drawn.
GdiPlusImagePtr LoadGdiPlusBitmap(const std::wstring& path) {
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) == Ok && bitmap) {
    return GdiPlusImagePtr(bitmap);
  }
  GpImage* image = nullptr;
  if (GdipLoadImageFromFile(path.c_str(), &image) != Ok || !image) {
    return nullptr;
  }
  GdiPlusImagePtr loaded(image);
  ImageType type = ImageTypeUnknown;
  if (GdipGetImageType(image, &type) != Ok || type != ImageTypeMetafile) {
    return nullptr;
  }
  return RasteriseMetafile(image);
}

}  // namespace

ComPtr<IWICBitmapSource> DecodeWithGdiPlus(const std::wstring& path) {
  IWICImagingFactory* factory = CWICFactory::Get();
  if (!factory) {
    return nullptr;
  }
  GdiPlusImagePtr image = LoadGdiPlusBitmap(path);
  if (!image) {
    return nullptr;
  }
  GpBitmap* bitmap = static_cast<GpBitmap*>(image.get());
  UINT width = 0;
  UINT height = 0;
  if (GdipGetImageWidth(bitmap, &width) != Ok || GdipGetImageHeight(bitmap, &height) != Ok ||
      width == 0 || height == 0) {
    return nullptr;
  }
  const GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  BitmapData locked = {};
  if (GdipBitmapLockBits(bitmap, &all, ImageLockModeRead, PixelFormat32bppARGB, &locked) != Ok) {
    return nullptr;
  }
  ComPtr<IWICBitmap> result;
  const UINT64 bytes = static_cast<UINT64>(locked.Stride) * height;
  if (locked.Stride > 0 && bytes <= 0xFFFFFFFFu) {
    if (FAILED(factory->CreateBitmapFromMemory(
            width, height, GUID_WICPixelFormat32bppBGRA, static_cast<UINT>(locked.Stride),
            static_cast<UINT>(bytes), static_cast<BYTE*>(locked.Scan0), result.Receive()))) {
      result.Reset();
    }
  }
  GdipBitmapUnlockBits(bitmap, &locked);
  return result;
}

std::wstring GetDecoderModulePath() { return CAppConfig::GetProgramFolder() + L"FreeImage.dll"; }

ComPtr<IWICBitmapSource> DecodeWithModule(const std::wstring& path,
                                          const std::wstring& module_file) {
  IWICImagingFactory* factory = CWICFactory::Get();
  if (!factory || !win_util::PathExists(module_file)) {
    return nullptr;
  }
  HMODULE module = LoadLibraryExW(module_file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    return nullptr;
  }
  using LoadImageFn = IUnknown*(__stdcall*)(const wchar_t*, IWICImagingFactory*);
  const auto load_image = win_util::GetProcAddressAs<LoadImageFn>(module, "load_image");
  ComPtr<IWICBitmapSource> source;
  if (load_image) {
    ComPtr<IUnknown> object;
    object.Attach(load_image(path.c_str(), factory));
    source = object.As<IWICBitmapSource>();
  }
  FreeLibrary(module);
  return source;
}

CWICImageLoaderPtr OpenImageFile(const std::wstring& path) {
  auto loader = std::make_shared<CWICImageLoader>(path);
  if (loader->GetOrientedSize().cx != 0) {
    return loader;
  }
  if (ComPtr<IWICBitmapSource> bitmap = DecodeWithGdiPlus(path)) {
    return std::make_shared<CWICImageLoader>(bitmap.Get(), nullptr);
  }
  if (ComPtr<IWICBitmapSource> bitmap = DecodeWithModule(path)) {
    return std::make_shared<CWICImageLoader>(bitmap.Get(), nullptr);
  }
  return nullptr;
}
