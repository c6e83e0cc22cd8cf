#pragma once

#include <windows.h>
#include <wincodec.h>

#include <mutex>
#include <string>
#include <vector>

#include "framework/com_ptr.h"
#include "image/jpeg_scaled_decoder.h"

// The frame of a JPEG opened from its header alone. The platform's decoder
// decodes the whole picture as soon as it is created on some systems, so a
// loader that only needs the size, the metadata and a scaled view uses this
// source instead, and pixels are decoded when they are first asked for:
// by libjpeg-turbo, or by the platform decoder where that cannot. It answers
// like the platform's JPEG frame: 24bppBGR (8bppGray for grey pictures), the
// JFIF resolution, no palette.
class CJpegLightSource final : public IWICBitmapSource {
 public:
  // Null when path is no JPEG whose pixels decode here (CMYK, 12-bit,
  // broken headers and other formats go to the platform decoder).
  static ComPtr<CJpegLightSource> Open(const std::wstring& path);
  // On by default; off, every JPEG is opened through the platform's decoder
  // (the tests compare the two).
  static void SetEnabled(bool enabled);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IWICBitmapSource
  HRESULT STDMETHODCALLTYPE GetSize(UINT* width, UINT* height) override;
  HRESULT STDMETHODCALLTYPE GetPixelFormat(WICPixelFormatGUID* format) override;
  HRESULT STDMETHODCALLTYPE GetResolution(double* dpi_x, double* dpi_y) override;
  HRESULT STDMETHODCALLTYPE CopyPalette(IWICPalette* palette) override;
  HRESULT STDMETHODCALLTYPE CopyPixels(const WICRect* rect, UINT stride, UINT buffer_size,
                                       BYTE* buffer) override;

  const jpeg_scaled::CJpegHeader& header() const { return header_; }
  // The whole picture as a new 32bppBGRA bitmap, decoded straight into it
  // (no second copy is kept here). Null on failure.
  ComPtr<IWICBitmap> DecodeBgra();
  // Whether CopyPixels has decoded the picture and keeps it.
  bool holds_pixels();

 private:
  CJpegLightSource(std::wstring path, jpeg_scaled::CJpegHeader header);
  ~CJpegLightSource() = default;
  UINT PixelBytes() const { return header_.gray ? 1 : 3; }
  // Fills pixels_ once; false when neither decoder could.
  bool EnsureDecoded();
  bool DecodeWithPlatform();

  LONG references_ = 1;
  const std::wstring path_;
  const jpeg_scaled::CJpegHeader header_;
  std::mutex mutex_;
  std::vector<BYTE> pixels_;  // rows of width * PixelBytes(), once decoded
};
