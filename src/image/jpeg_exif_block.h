#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Finds the EXIF block (the TIFF structure after "Exif\0\0") of a JPEG's first
// EXIF APP1 segment, walking the marker segments up to the start of the scan.
// Only segment headers and the EXIF segment itself are read.
class CJpegExifBlock {
 public:
  // Reads size bytes at offset; false when they are not all there.
  using ReadAt = std::function<bool(uint64_t offset, void* buffer, size_t size)>;

  // block_offset, when given, receives where the block starts in the file.
  static bool Find(const ReadAt& read, std::vector<uint8_t>* block,
                   uint64_t* block_offset = nullptr);
  static bool FindInMemory(const uint8_t* data, size_t size, std::vector<uint8_t>* block);
  static bool FindInFile(const std::wstring& path, std::vector<uint8_t>* block);
};
