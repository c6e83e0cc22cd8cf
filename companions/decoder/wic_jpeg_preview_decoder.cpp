#include "wic_jpeg_preview_decoder.h"

#include <windows.h>
#include <wincodec.h>

namespace {

template <class Interface>
void ReleaseAndClear(Interface** object) {
  if (*object) {
    (*object)->Release();
    *object = nullptr;
  }
}

}  // namespace

CWicJpegPreviewDecoder::CWicJpegPreviewDecoder(IWICImagingFactory* factory) : factory_(factory) {}

CWicJpegPreviewDecoder::~CWicJpegPreviewDecoder() { ReleaseAndClear(&source_); }

bool CWicJpegPreviewDecoder::Open(const uint8_t* jpeg, size_t size) {
  ReleaseAndClear(&source_);
  width_ = 0;
  height_ = 0;
  if (!factory_ || !jpeg || size == 0 || size > 0xFFFFFFFFu) {
    return false;
  }
  IWICStream* stream = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  UINT width = 0;
  UINT height = 0;
  const bool ok =
      SUCCEEDED(factory_->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(jpeg), static_cast<DWORD>(size))) &&
      SUCCEEDED(factory_->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&width, &height)) &&
      SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &source_));
  ReleaseAndClear(&frame);
  ReleaseAndClear(&decoder);
  ReleaseAndClear(&stream);
  if (!ok) {
    ReleaseAndClear(&source_);
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

bool CWicJpegPreviewDecoder::CopyPixels(uint8_t* pixels, size_t stride) {
  if (!source_ || !pixels || uint64_t{stride} * height_ > 0xFFFFFFFFu) {
    return false;
  }
  return SUCCEEDED(source_->CopyPixels(nullptr, static_cast<UINT>(stride),
                                       static_cast<UINT>(stride * height_), pixels));
}
