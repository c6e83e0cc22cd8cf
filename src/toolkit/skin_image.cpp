#include "toolkit/skin_image.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstring>

#include "framework/com_ptr.h"

HBITMAP CreateDib32(int width, int height, uint32_t** bits) {
  *bits = nullptr;
  if (width <= 0 || height <= 0) {
    return nullptr;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  *bits = static_cast<uint32_t*>(memory);
  return bitmap;
}

std::shared_ptr<CSkinImage> CSkinImage::FromPixels(int width, int height, const uint32_t* pixels) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
    return nullptr;
  }
  auto image = std::make_shared<CSkinImage>();
  image->bitmap_.Attach(CreateDib32(width, height, &image->pixels_));
  if (image->bitmap_.IsEmpty()) {
    return nullptr;
  }
  image->width_ = width;
  image->height_ = height;
  std::memcpy(image->pixels_, pixels, static_cast<size_t>(width) * height * 4);
  return image;
}

std::shared_ptr<CSkinImage> CSkinImage::Decode(const std::vector<uint8_t>& bytes) {
  if (bytes.empty() || bytes.size() > 0x7FFFFFFF) {
    return nullptr;
  }
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.Receive()))) ||
      !factory) {
    return nullptr;
  }
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> converted;
  if (FAILED(factory->CreateStream(stream.Receive())) || !stream ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                          static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Receive())) ||
      !decoder || FAILED(decoder->GetFrame(0, frame.Receive())) || !frame ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(),
                                    converted.Receive())) ||
      !converted) {
    return nullptr;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > static_cast<UINT>(kMaxSide) || height > static_cast<UINT>(kMaxSide)) {
    return nullptr;
  }
  auto image = std::make_shared<CSkinImage>();
  image->bitmap_.Attach(
      CreateDib32(static_cast<int>(width), static_cast<int>(height), &image->pixels_));
  if (image->bitmap_.IsEmpty()) {
    return nullptr;
  }
  const UINT stride = width * 4;
  if (FAILED(converted->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(image->pixels_)))) {
    return nullptr;
  }
  image->width_ = static_cast<int>(width);
  image->height_ = static_cast<int>(height);
  return image;
}
