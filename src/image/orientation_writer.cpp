#include "image/orientation_writer.h"

#include <windows.h>
#include <shlwapi.h>
#include <wincodec.h>

#include "framework/com_ptr.h"
#include "image/metadata_reader.h"
#include "image/wic_factory.h"

namespace {

constexpr int kOrientationTag = 274;

}  // namespace

bool WriteOrientationInPlace(const std::wstring& path, int orientation) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  try {
    IWICImagingFactory* factory = CWICFactory::Get();
    if (!factory) {
      return false;
    }
    // A read-write stream that never creates or truncates: some platforms'
    // decoders opened by name for writing empty the file first.
    ComPtr<IStream> stream;
    ThrowIfFailed(SHCreateStreamOnFileEx(path.c_str(), STGM_READWRITE | STGM_SHARE_DENY_WRITE,
                                         FILE_ATTRIBUTE_NORMAL, FALSE, nullptr, stream.Receive()));
    ComPtr<IWICBitmapDecoder> decoder;
    ThrowIfFailed(factory->CreateDecoderFromStream(
        stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Receive()));
    ComPtr<IWICBitmapFrameDecode> frame;
    ThrowIfFailed(decoder->GetFrame(0, frame.Receive()));
    ComPtr<IWICFastMetadataEncoder> encoder;
    ThrowIfFailed(
        factory->CreateFastMetadataEncoderFromFrameDecode(frame.Get(), encoder.Receive()));
    ComPtr<IWICMetadataQueryWriter> writer;
    ThrowIfFailed(encoder->GetMetadataQueryWriter(writer.Receive()));
    PROPVARIANT value;
    PropVariantInit(&value);
    value.vt = VT_UI2;
    value.uiVal = static_cast<USHORT>(orientation);
    ThrowIfFailed(writer->SetMetadataByName(PrimaryTagQuery(kOrientationTag).c_str(), &value));
    ThrowIfFailed(encoder->Commit());
    return true;
  } catch (const CComError&) {
    return false;
  }
}
