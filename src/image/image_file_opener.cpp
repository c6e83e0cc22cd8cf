#include "image/image_file_opener.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>

#include "basic_lib/win_util.h"
#include "config/app_config.h"
#include "image/image_format.h"
#include "image/metadata_reader.h"
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

bool IsCameraRawReadAsTiff(const std::wstring& path, const CWICImageLoader& loader) {
  GUID container = {};
  return GetImageFormatClass(path) == kFormatCameraRaw && loader.decoder() &&
         SUCCEEDED(loader.decoder()->GetContainerFormat(&container)) &&
         IsEqualGUID(container, GUID_ContainerFormatTiff);
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

ComPtr<IWICBitmapSource> DecodeWithModule(const std::wstring& path, const std::wstring& module_file,
                                          CModuleMetadata* metadata) {
  IWICImagingFactory* factory = CWICFactory::Get();
  if (!factory || !win_util::PathExists(module_file)) {
    return nullptr;
  }
  HMODULE module = LoadLibraryExW(module_file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) {
    return nullptr;
  }
  using LoadImageFn = IUnknown*(__stdcall*)(const wchar_t*, IWICImagingFactory*);
  using LoadImageWithMetadataFn =
      IUnknown*(__stdcall*)(const wchar_t*, IWICImagingFactory*, BYTE**, UINT*, IWICColorContext**);
  const auto load_image = win_util::GetProcAddressAs<LoadImageFn>(module, "load_image");
  const auto load_image_with_metadata =
      win_util::GetProcAddressAs<LoadImageWithMetadataFn>(module, "load_image_with_metadata");
  ComPtr<IUnknown> object;
  BYTE* exif = nullptr;
  UINT exif_size = 0;
  ComPtr<IWICColorContext> colour_context;
  if (load_image_with_metadata) {
    object.Attach(load_image_with_metadata(path.c_str(), factory, &exif, &exif_size,
                                           colour_context.Receive()));
  } else if (load_image) {
    object.Attach(load_image(path.c_str(), factory));
  }
  ComPtr<IWICBitmapSource> source;
  if (object) {
    source = object.As<IWICBitmapSource>();
  }
  if (source && metadata) {
    if (exif && exif_size > 0) {
      metadata->exif.assign(exif, exif + exif_size);
    }
    metadata->colour_context = colour_context;
  }
  // The block came from the COM allocator, not the module's own heap.
  CoTaskMemFree(exif);
  FreeLibrary(module);
  return source;
}

CWICImageLoaderPtr OpenImageFile(const std::wstring& path) {
  auto loader = std::make_shared<CWICImageLoader>(path);
  const bool decoded_by_platform = loader->GetOrientedSize().cx != 0;
  // Most camera RAW files are TIFF structures whose first directory is a
  // small thumbnail or the sensor data; a platform without a RAW codec reads
  // them as plain TIFF. The module is asked first then, and that reading is
  // kept only for a file the module cannot decode. GDI+ would read the same
  // TIFF directory.
  const bool raw_read_as_tiff = decoded_by_platform && IsCameraRawReadAsTiff(path, *loader);
  if (decoded_by_platform && !raw_read_as_tiff) {
    return loader;
  }
  if (!raw_read_as_tiff) {
    if (ComPtr<IWICBitmapSource> bitmap = DecodeWithGdiPlus(path)) {
      return std::make_shared<CWICImageLoader>(bitmap.Get(), nullptr);
    }
  }
  CModuleMetadata metadata;
  if (ComPtr<IWICBitmapSource> bitmap = DecodeWithModule(path, GetDecoderModulePath(), &metadata)) {
    auto decoded = std::make_shared<CWICImageLoader>(bitmap.Get(), metadata.colour_context.Get());
    ReadExifBlock(decoded->exif(), metadata.exif.data(), metadata.exif.size());
    return decoded;
  }
  return raw_read_as_tiff ? loader : nullptr;
}
