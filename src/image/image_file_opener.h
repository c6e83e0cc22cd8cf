#pragma once

#include <wincodec.h>

#include <string>

#include "framework/com_ptr.h"
#include "image/wic_image_loader.h"

// Decodes a file into a loader: WIC first, then GDI+, then the external
// decoder module. Null when none of them can decode it.
CWICImageLoaderPtr OpenImageFile(const std::wstring& path);

// GDI+ decoding into an in-memory 32bppBGRA WIC bitmap; null on failure.
// GDI+ must have been started by the caller's process. Metafiles are drawn
// onto a transparent bitmap of their own size (at most 8192 pixels a side).
ComPtr<IWICBitmapSource> DecodeWithGdiPlus(const std::wstring& path);

// The external decoder module "FreeImage.dll" of the program folder.
std::wstring GetDecoderModulePath();

// Loads module_file, calls its stdcall export load_image (path, WIC factory)
// and unloads it again. Null when the module, the export or a bitmap source is
// missing. The module must create its result with the factory it is given, as
// its own code is gone once this returns.
ComPtr<IWICBitmapSource> DecodeWithModule(const std::wstring& path,
                                          const std::wstring& module_file = GetDecoderModulePath());
