#pragma once

#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/com_ptr.h"
#include "image/wic_image_loader.h"

// Decodes a file into a loader: WIC first, then GDI+, then the external
// decoder module. Null when none of them can decode it. A camera RAW file
// (by its name) that WIC reads only through its plain TIFF codec goes to the
// module first, and keeps that reading only when the module fails.
CWICImageLoaderPtr OpenImageFile(const std::wstring& path);

// GDI+ decoding into an in-memory 32bppBGRA WIC bitmap; null on failure.
// GDI+ must have been started by the caller's process. Metafiles are drawn
// onto a transparent bitmap of their own size (at most 8192 pixels a side).
ComPtr<IWICBitmapSource> DecodeWithGdiPlus(const std::wstring& path);

// The external decoder module "FreeImage.dll" of the program folder.
std::wstring GetDecoderModulePath();

// What the decoder module hands out beside the pixels.
struct CModuleMetadata {
  std::vector<uint8_t> exif;                // the EXIF block; empty when none
  ComPtr<IWICColorContext> colour_context;  // the embedded profile; null when none
};

// Loads module_file, calls its stdcall export load_image (path, WIC factory)
// and unloads it again. Null when the module, the export or a bitmap source is
// missing. The module must create its result with the factory it is given, as
// its own code is gone once this returns. A module that also exports
// load_image_with_metadata is called through it instead, and fills metadata
// (when given) with the file's EXIF block and colour profile.
ComPtr<IWICBitmapSource> DecodeWithModule(const std::wstring& path,
                                          const std::wstring& module_file = GetDecoderModulePath(),
                                          CModuleMetadata* metadata = nullptr);
