#include "support/test_pictures.h"

#include <shlwapi.h>
#include <wincodec.h>

#include <vector>

namespace test_support {

namespace {

GUID ContainerFor(const std::wstring& path) {
  const std::wstring ext = PathFindExtensionW(path.c_str());
  if (!_wcsicmp(ext.c_str(), L".jpg") || !_wcsicmp(ext.c_str(), L".jpeg")) {
    return GUID_ContainerFormatJpeg;
  }
  if (!_wcsicmp(ext.c_str(), L".bmp")) {
    return GUID_ContainerFormatBmp;
  }
  if (!_wcsicmp(ext.c_str(), L".gif")) {
    return GUID_ContainerFormatGif;
  }
  if (!_wcsicmp(ext.c_str(), L".tif") || !_wcsicmp(ext.c_str(), L".tiff")) {
    return GUID_ContainerFormatTiff;
  }
  return GUID_ContainerFormatPng;
}

template <class T>
void SafeRelease(T*& p) {
  if (p) {
    p->Release();
    p = nullptr;
  }
}

}  // namespace

bool WriteTestPicture(const std::wstring& path, int width, int height, const PixelColour& colour,
                      float jpeg_quality) {
  std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = colour(x, y);
      BYTE* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  IPropertyBag2* options = nullptr;
  bool ok = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(ContainerFor(path), nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, &options))) {
    if (IsEqualGUID(ContainerFor(path), GUID_ContainerFormatJpeg)) {
      PROPBAG2 option = {};
      option.pstrName = const_cast<wchar_t*>(L"ImageQuality");
      VARIANT value;
      VariantInit(&value);
      value.vt = VT_R4;
      value.fltVal = jpeg_quality;
      options->Write(1, &option, &value);
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    ok = SUCCEEDED(frame->Initialize(options)) &&
         SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
         SUCCEEDED(frame->SetPixelFormat(&format));
    if (ok && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
      // The encoder wants another layout (GIF: indexed); hand it a converted source.
      IWICBitmap* bitmap = nullptr;
      ok = SUCCEEDED(factory->CreateBitmapFromMemory(
               static_cast<UINT>(width), static_cast<UINT>(height), GUID_WICPixelFormat24bppBGR,
               static_cast<UINT>(width * 3), static_cast<UINT>(pixels.size()), pixels.data(),
               &bitmap)) &&
           SUCCEEDED(frame->WriteSource(bitmap, nullptr));
      SafeRelease(bitmap);
    } else if (ok) {
      ok = SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(width * 3),
                                        static_cast<UINT>(pixels.size()), pixels.data()));
    }
    ok = ok && SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  }
  SafeRelease(options);
  SafeRelease(frame);
  SafeRelease(encoder);
  SafeRelease(stream);
  SafeRelease(factory);
  return ok;
}

bool WriteSolidPicture(const std::wstring& path, int width, int height, COLORREF colour) {
  return WriteTestPicture(path, width, height, [colour](int, int) { return colour; });
}

}  // namespace test_support
