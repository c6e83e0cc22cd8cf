#include "image/jpeg_light_source.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <utility>

#include "image/wic_factory.h"

namespace {

std::atomic<bool> g_enabled{true};

}  // namespace

void CJpegLightSource::SetEnabled(bool enabled) { g_enabled = enabled; }

ComPtr<CJpegLightSource> CJpegLightSource::Open(const std::wstring& path) {
  jpeg_scaled::CJpegHeader header;
  if (!g_enabled || !jpeg_scaled::ReadHeader(path, &header) || !header.readable ||
      header.width == 0 || header.height == 0) {
    return nullptr;
  }
  ComPtr<CJpegLightSource> source;
  source.Attach(new CJpegLightSource(path, std::move(header)));
  return source;
}

CJpegLightSource::CJpegLightSource(std::wstring path, jpeg_scaled::CJpegHeader header)
    : path_(std::move(path)), header_(std::move(header)) {}

HRESULT CJpegLightSource::QueryInterface(REFIID iid, void** object) {
  if (!object) {
    return E_POINTER;
  }
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWICBitmapSource)) {
    *object = static_cast<IWICBitmapSource*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CJpegLightSource::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG CJpegLightSource::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) {
    delete this;
  }
  return static_cast<ULONG>(left);
}

HRESULT CJpegLightSource::GetSize(UINT* width, UINT* height) {
  if (!width || !height) {
    return E_INVALIDARG;
  }
  *width = header_.width;
  *height = header_.height;
  return S_OK;
}

HRESULT CJpegLightSource::GetPixelFormat(WICPixelFormatGUID* format) {
  if (!format) {
    return E_INVALIDARG;
  }
  *format = header_.gray ? GUID_WICPixelFormat8bppGray : GUID_WICPixelFormat24bppBGR;
  return S_OK;
}

HRESULT CJpegLightSource::GetResolution(double* dpi_x, double* dpi_y) {
  if (!dpi_x || !dpi_y) {
    return E_INVALIDARG;
  }
  *dpi_x = header_.dpi_x;
  *dpi_y = header_.dpi_y;
  return S_OK;
}

HRESULT CJpegLightSource::CopyPalette(IWICPalette*) { return WINCODEC_ERR_PALETTEUNAVAILABLE; }

HRESULT CJpegLightSource::CopyPixels(const WICRect* rect, UINT stride, UINT buffer_size,
                                     BYTE* buffer) {
  const WICRect whole = {0, 0, static_cast<INT>(header_.width), static_cast<INT>(header_.height)};
  const WICRect area = rect ? *rect : whole;
  if (area.X < 0 || area.Y < 0 || area.Width < 0 || area.Height < 0 ||
      int64_t{area.X} + area.Width > whole.Width || int64_t{area.Y} + area.Height > whole.Height) {
    return E_INVALIDARG;
  }
  if (area.Width == 0 || area.Height == 0) {
    return S_OK;
  }
  const uint64_t row_bytes = uint64_t{static_cast<UINT>(area.Width)} * PixelBytes();
  if (!buffer || stride < row_bytes ||
      uint64_t{buffer_size} < uint64_t{stride} * (static_cast<UINT>(area.Height) - 1) + row_bytes) {
    return E_INVALIDARG;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!EnsureDecoded()) {
    return WINCODEC_ERR_BADIMAGE;
  }
  const size_t source_stride = size_t{header_.width} * PixelBytes();
  for (INT y = 0; y < area.Height; ++y) {
    const BYTE* from = pixels_.data() + source_stride * static_cast<size_t>(area.Y + y) +
                       size_t{static_cast<UINT>(area.X)} * PixelBytes();
    std::memcpy(buffer + size_t{stride} * static_cast<size_t>(y), from,
                static_cast<size_t>(row_bytes));
  }
  return S_OK;
}

bool CJpegLightSource::EnsureDecoded() {
  if (!pixels_.empty()) {
    return true;
  }
  const size_t stride = size_t{header_.width} * PixelBytes();
  pixels_.resize(stride * header_.height);
  const std::vector<unsigned char> file = jpeg_scaled::ReadFileData(path_);
  if (!file.empty() &&
      jpeg_scaled::DecodeInto(
          file, header_.gray ? jpeg_scaled::Layout::kGray : jpeg_scaled::Layout::kBgr,
          header_.width, header_.height, pixels_.data(), static_cast<UINT>(stride))) {
    return true;
  }
  if (DecodeWithPlatform()) {
    return true;
  }
  pixels_.clear();
  pixels_.shrink_to_fit();
  return false;
}

bool CJpegLightSource::DecodeWithPlatform() {
  IWICImagingFactory* factory = CWICFactory::Get();
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT width = 0;
  UINT height = 0;
  WICPixelFormatGUID format = {};
  WICPixelFormatGUID wanted = {};
  GetPixelFormat(&wanted);
  if (!factory ||
      FAILED(factory->CreateDecoderFromFilename(path_.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand,
                                                decoder.Receive())) ||
      FAILED(decoder->GetFrame(0, frame.Receive())) || FAILED(frame->GetSize(&width, &height)) ||
      width != header_.width || height != header_.height) {
    return false;
  }
  ComPtr<IWICBitmapSource> pixels = frame;
  if (FAILED(frame->GetPixelFormat(&format)) || !IsEqualGUID(format, wanted)) {
    ComPtr<IWICBitmapSource> converted;
    if (FAILED(WICConvertBitmapSource(wanted, frame.Get(), converted.Receive()))) {
      return false;
    }
    pixels = converted;
  }
  const UINT stride = width * PixelBytes();
  return SUCCEEDED(
      pixels->CopyPixels(nullptr, stride, static_cast<UINT>(pixels_.size()), pixels_.data()));
}

ComPtr<IWICBitmap> CJpegLightSource::DecodeBgra() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pixels_.empty()) {
      const std::vector<unsigned char> file = jpeg_scaled::ReadFileData(path_);
      if (ComPtr<IWICBitmap> bitmap =
              file.empty() ? nullptr
                           : jpeg_scaled::DecodeToBitmap(file, 1, header_.width, header_.height)) {
        return bitmap;
      }
      if (!EnsureDecoded()) {
        return nullptr;
      }
    }
  }
  // Kept pixels never change: the converter reads them through CopyPixels.
  try {
    ComPtr<IWICBitmapSource> converted;
    ThrowIfFailed(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, this, converted.Receive()));
    ComPtr<IWICBitmap> bitmap;
    ThrowIfFailed(CWICFactory::Required()->CreateBitmapFromSource(
        converted.Get(), WICBitmapCacheOnLoad, bitmap.Receive()));
    return bitmap;
  } catch (const CComError&) {
    return nullptr;
  }
}

bool CJpegLightSource::holds_pixels() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !pixels_.empty();
}
