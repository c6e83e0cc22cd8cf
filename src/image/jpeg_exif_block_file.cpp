// The file half of the EXIF block finder: segment headers read straight from
// the file, so a large picture is never read whole.
#include "image/jpeg_exif_block.h"

#include <windows.h>

#include "framework/handle.h"

bool CJpegExifBlock::FindInFile(const std::wstring& path, std::vector<uint8_t>* block) {
  const CHandle opened(CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!opened) {
    return false;
  }
  HANDLE file = opened.get();
  return Find(
      [file](uint64_t offset, void* buffer, size_t count) {
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD done = 0;
        return count <= MAXDWORD && ReadFile(file, buffer, static_cast<DWORD>(count), &done, &at) &&
               done == count;
      },
      block);
}
