#include "image_decoder.h"

#include <cwctype>
#include <new>
#include <utility>

#include "heif_decoder.h"
#include "pcx_decoder.h"
#include "pnm_decoder.h"
#include "raw_decoder.h"
#include "tga_decoder.h"
#include "webp_decoder.h"
#include "wic_jpeg_preview_decoder.h"

namespace {

bool IsTgaExtension(std::wstring extension) {
  for (wchar_t& c : extension) {
    c = static_cast<wchar_t>(std::towlower(c));
  }
  return extension == L"tga" || extension == L"targa" || extension == L"icb" ||
         extension == L"vda" || extension == L"vst";
}

template <class Decoder>
std::unique_ptr<CImageDecoder> TryDecoder(const uint8_t* data, size_t size) {
  auto decoder = std::make_unique<Decoder>();
  if (!decoder->ReadHeader(data, size)) {
    return nullptr;
  }
  return decoder;
}

}  // namespace

std::unique_ptr<CImageDecoder> CreateImageDecoder(const uint8_t* data, size_t size,
                                                  const std::wstring& extension,
                                                  IWICImagingFactory* factory) {
  if (!data || size == 0) {
    return nullptr;
  }
  if (CWebpDecoder::HasSignature(data, size)) {
    return TryDecoder<CWebpDecoder>(data, size);
  }
  if (CHeifDecoder::HasSignature(data, size)) {
    return TryDecoder<CHeifDecoder>(data, size);
  }
  if (CPnmDecoder::HasSignature(data, size)) {
    return TryDecoder<CPnmDecoder>(data, size);
  }
  if (CPcxDecoder::HasSignature(data, size)) {
    return TryDecoder<CPcxDecoder>(data, size);
  }
  if (CTgaDecoder::HasFooter(data, size) || IsTgaExtension(extension)) {
    return TryDecoder<CTgaDecoder>(data, size);
  }
  // RAW formats have no common signature: LibRaw identifies them itself.
  std::unique_ptr<CJpegPreviewDecoder> jpeg_decoder;
  if (factory) {
    jpeg_decoder = std::make_unique<CWicJpegPreviewDecoder>(factory);
  }
  auto raw = std::make_unique<CRawDecoder>(std::move(jpeg_decoder));
  if (raw->ReadHeader(data, size)) {
    return raw;
  }
  return nullptr;
}

bool DecodeImageBytes(const uint8_t* data, size_t size, const std::wstring& extension,
                      CDecodedPixels* decoded, IWICImagingFactory* factory) {
  std::unique_ptr<CImageDecoder> decoder = CreateImageDecoder(data, size, extension, factory);
  if (!decoder) {
    return false;
  }
  const size_t stride = size_t{decoder->width()} * 4;
  // Not zero-filled: damaged data is found long before most pages are touched.
  std::unique_ptr<uint8_t[]> bgra(new (std::nothrow) uint8_t[stride * decoder->height()]);
  if (!bgra || !decoder->Decode(bgra.get(), stride)) {
    return false;
  }
  decoded->width = decoder->width();
  decoded->height = decoder->height();
  decoded->bgra = std::move(bgra);
  decoded->exif = decoder->exif();
  decoded->icc_profile = decoder->icc_profile();
  return true;
}
