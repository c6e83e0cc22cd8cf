// The file half of the EXIF carrier: reading the source's block and
// rewriting the target; the block's editing has no platform dependency.
#include "image/jpeg_exif_carrier.h"

#include <windows.h>

#include <utility>

#include "framework/handle.h"
#include "image/jpeg_exif_block.h"

namespace {

// Bigger files are not re-read into memory to carry a segment over.
constexpr LONGLONG kMaxRewrittenFile = 1ll << 30;

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>* data) {
  const CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  LARGE_INTEGER size = {};
  bool ok =
      GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart <= kMaxRewrittenFile;
  if (ok) {
    data->resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = ReadFile(file.get(), data->data(), static_cast<DWORD>(data->size()), &read, nullptr) &&
         read == data->size();
  }
  return ok;
}

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& data) {
  const CHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return false;
  }
  DWORD written = 0;
  return WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size() && SetEndOfFile(file.get());
}

}  // namespace

bool CJpegExifCarrier::ReadFrom(const std::wstring& source_jpeg) {
  std::vector<uint8_t> block;
  return CJpegExifBlock::FindInFile(source_jpeg, &block) && SetBlock(std::move(block));
}

bool CJpegExifCarrier::WriteInto(const std::wstring& target_jpeg) const {
  if (block_.empty()) {
    return false;
  }
  std::vector<uint8_t> jpeg;
  if (!ReadWholeFile(target_jpeg, &jpeg)) {
    return false;
  }
  std::vector<uint8_t> existing;
  if (CJpegExifBlock::FindInMemory(jpeg.data(), jpeg.size(), &existing)) {
    return true;
  }
  return InsertSegment(&jpeg, block_) && WriteWholeFile(target_jpeg, jpeg);
}
