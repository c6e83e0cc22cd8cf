#include "image/orientation_writer.h"

#include <windows.h>
#include <shlwapi.h>
#include <wincodec.h>

#include <vector>

#include "framework/com_ptr.h"
#include "framework/handle.h"
#include "image/exif_parser.h"
#include "image/jpeg_exif_block.h"
#include "image/metadata_reader.h"
#include "image/wic_factory.h"

namespace {

constexpr int kOrientationTag = 274;

// Where the platform has no fast metadata encoder: the two bytes of the
// orientation tag of the file's EXIF segment, rewritten where they are.
// False when the file has no such tag.
bool RewriteTagOurselves(const std::wstring& path, int orientation) {
  const CHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  auto read_at = [&file](uint64_t offset, void* buffer, size_t count) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    return count <= MAXDWORD &&
           ReadFile(file.get(), buffer, static_cast<DWORD>(count), &done, &at) && done == count;
  };
  bool written = false;
  std::vector<uint8_t> block;
  uint64_t block_offset = 0;
  CExifParser parser;
  if (CJpegExifBlock::Find(read_at, &block, &block_offset) &&
      parser.Parse(block.data(), block.size())) {
    const CExifParser::Field* field = parser.Find(CExifParser::kPrimary, kOrientationTag);
    if (field && field->type == CExifParser::kShort && field->count >= 1) {
      const uint8_t value[2] = {static_cast<uint8_t>(parser.big_endian() ? 0 : orientation),
                                static_cast<uint8_t>(parser.big_endian() ? orientation : 0)};
      const uint64_t where = block_offset + field->value_offset;
      OVERLAPPED at = {};
      at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(where >> 32);
      DWORD done = 0;
      written = WriteFile(file.get(), value, 2, &done, &at) && done == 2;
    }
  }
  return written;
}

}  // namespace

bool WriteOrientationInPlace(const std::wstring& path, int orientation) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (orientation < 1 || orientation > 8) {
    return false;
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
    if (FAILED(factory->CreateFastMetadataEncoderFromFrameDecode(frame.Get(), encoder.Receive())) ||
        !encoder) {
      frame.Reset();
      decoder.Reset();
      stream.Reset();
      return RewriteTagOurselves(path, orientation);
    }
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
