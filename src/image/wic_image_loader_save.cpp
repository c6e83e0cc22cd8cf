// Saving: the one encoder routine everything that writes a picture uses.
#include <windows.h>
#include <wincodec.h>
#include <wincodecsdk.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/image_format.h"
#include "image/jpeg_encoder.h"
#include "image/jpeg_metadata_carrier.h"
#include "image/metadata_reader.h"
#include "image/wic_factory.h"
#include "image/wic_image_loader.h"
#include "image/wic_pipeline.h"
#include "basic_lib/windows_version.h"

namespace {

constexpr int kOrientationTag = 274;

// The encoder of one save, from the target's stream to its single frame.
struct CEncoderState {
  GUID container = {};
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
};

GUID ContainerOf(const std::wstring& path) {
  switch (GetImageFormatClass(path)) {
    case kFormatBmp:
      return GUID_ContainerFormatBmp;
    case kFormatJpeg:
      return GUID_ContainerFormatJpeg;
    case kFormatGif:
      return GUID_ContainerFormatGif;
    case kFormatTiff:
      return GUID_ContainerFormatTiff;
    case kFormatPng:
      return GUID_ContainerFormatPng;
    default:
      return GUID{};
  }
}

void SetUpEncoder(CEncoderState& state, const std::wstring& path, int quality,
                  IWICBitmapDecoder* source_decoder) {
  state.container = ContainerOf(path);
  ThrowIfFailed(CWICFactory::Required()->CreateStream(state.stream.Receive()));
  ThrowIfFailed(state.stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
  ThrowIfFailed(
      CWICFactory::Required()->CreateEncoder(state.container, nullptr, state.encoder.Receive()));
  ThrowIfFailed(state.encoder->Initialize(state.stream.Get(), WICBitmapEncoderNoCache));

  ComPtr<IPropertyBag2> options;
  ThrowIfFailed(state.encoder->CreateNewFrame(state.frame.Receive(), options.Receive()));
  if (IsEqualGUID(state.container, GUID_ContainerFormatJpeg)) {
    PROPBAG2 option = {};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = static_cast<float>(quality) / 100.0f;
    ThrowIfFailed(options->Write(1, &option, &value));
  }
  ThrowIfFailed(state.frame->Initialize(options.Get()));

  if (!source_decoder) {
    return;
  }
  // Every metadata block of the source file, EXIF included, where the
  // platform can copy them; nothing is lost when it cannot.
  ComPtr<IWICBitmapFrameDecode> source_frame;
  if (FAILED(source_decoder->GetFrame(0, source_frame.Receive()))) {
    return;
  }
  ComPtr<IWICMetadataBlockReader> reader = source_frame.As<IWICMetadataBlockReader>();
  ComPtr<IWICMetadataBlockWriter> writer = state.frame.As<IWICMetadataBlockWriter>();
  if (reader && writer) {
    writer->InitializeFromBlockReader(reader.Get());
  }
}

// Windows 8 and later write the orientation into the tag and keep the
// stored pixels; false where the frame cannot take the tag.
bool WriteOrientationTag(IWICBitmapFrameEncode* frame, int orientation) {
  if (!CWindowsVersion::IsWindows8OrLater() || orientation < 1 || orientation > 8) {
    return false;
  }
  ComPtr<IWICMetadataQueryWriter> writer;
  if (FAILED(frame->GetMetadataQueryWriter(writer.Receive())) || !writer) {
    return false;
  }
  PROPVARIANT value;
  PropVariantInit(&value);
  value.vt = VT_UI2;
  value.uiVal = static_cast<USHORT>(orientation);
  return SUCCEEDED(writer->SetMetadataByName(PrimaryTagQuery(kOrientationTag).c_str(), &value));
}

// The embedded profile's bytes; empty when there is none to embed.
std::vector<uint8_t> ProfileBytes(IWICColorContext* context) {
  WICColorContextType type = WICColorContextUninitialized;
  UINT size = 0;
  if (!context || FAILED(context->GetType(&type)) || type != WICColorContextProfile ||
      FAILED(context->GetProfileBytes(0, nullptr, &size)) || size == 0) {
    return {};
  }
  std::vector<uint8_t> bytes(size);
  if (FAILED(context->GetProfileBytes(size, bytes.data(), &size))) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace

ComPtr<IWICBitmapSource> CWICImageLoader::JpegPixels(bool tag_written, bool* turned_upright) const {
  if (!tag_written && GetTransform() != WICBitmapTransformRotate0) {
    *turned_upright = true;
    return GetBitmap(false);
  }
  return source_;
}

bool CWICImageLoader::EncodeWithPlatform(const std::wstring& path, int quality,
                                         bool* turned_upright) const {
  try {
    CEncoderState state;
    SetUpEncoder(state, path, quality, PlatformDecoder());
    if (colour_context_) {
      IWICColorContext* context = colour_context_.Get();
      state.frame->SetColorContexts(1, &context);
    }
    ComPtr<IWICBitmapSource> pixels;
    if (IsEqualGUID(state.container, GUID_ContainerFormatJpeg)) {
      pixels =
          JpegPixels(WriteOrientationTag(state.frame.Get(), exif_.orientation), turned_upright);
    } else {
      // PNG and TIFF keep the profile beside untouched pixels; the others
      // get the profile applied.
      const bool keeps_profile = IsEqualGUID(state.container, GUID_ContainerFormatPng) ||
                                 IsEqualGUID(state.container, GUID_ContainerFormatTiff);
      pixels = GetBitmap(!keeps_profile);
    }
    if (!pixels) {
      return false;
    }
    ThrowIfFailed(state.frame->WriteSource(pixels.Get(), nullptr));
    ThrowIfFailed(state.frame->Commit());
    ThrowIfFailed(state.encoder->Commit());
    return true;
  } catch (const CComError&) {
    return false;
  }
}

bool CWICImageLoader::EncodeJpegOurselves(const std::wstring& path, int quality,
                                          bool* turned_upright) const {
  try {
    // Our encoder has no metadata writer: the orientation tag cannot be
    // written, so the pixels are turned as on a platform without one.
    ComPtr<IWICBitmapSource> pixels = JpegPixels(false, turned_upright);
    if (!pixels) {
      return false;
    }
    ComPtr<IWICStream> stream;
    ThrowIfFailed(CWICFactory::Required()->CreateStream(stream.Receive()));
    ThrowIfFailed(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
    return CJpegEncoder::Encode(pixels.Get(), quality, ProfileBytes(colour_context_.Get()),
                                stream.Get());
  } catch (const CComError&) {
    return false;
  }
}

bool CWICImageLoader::SaveTo(const std::wstring& path, int quality) const {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  const bool is_jpeg = IsEqualGUID(ContainerOf(path), GUID_ContainerFormatJpeg) != FALSE;
  bool turned_upright = false;
  // Where the platform's JPEG encoder ignores the quality, ours writes the
  // file, so the user's setting is what decides.
  const bool written = is_jpeg && source_ && !CJpegEncoder::PlatformHonoursQuality()
                           ? EncodeJpegOurselves(path, quality, &turned_upright)
                           : EncodeWithPlatform(path, quality, &turned_upright);
  if (!written) {
    return false;
  }

  // The encoder has closed the file. Every metadata segment of the source
  // that the encoder did not copy (EXIF, XMP, ICC profile, IPTC, ...) is
  // carried over here.
  if (is_jpeg && opened_from_file() && !path_.empty()) {
    CJpegMetadataCarrier carrier;
    if (carrier.ReadFrom(path_)) {
      if (turned_upright) {
        carrier.MarkPixelsTurnedUpright(wic_pipeline::SwapsAxes(GetTransform()));
      } else if (exif_.orientation >= 1 && exif_.orientation <= 8) {
        carrier.SetOrientation(exif_.orientation);
      }
      // A rewrite that failed half-way leaves a broken file: the save fails
      // so the caller discards it instead of putting it in place.
      if (!carrier.WriteInto(path)) {
        return false;
      }
    }
  }
  return true;
}
