#include "image/jpeg_exif_block.h"

#include <cstring>

namespace {

constexpr uint8_t kStartOfImage = 0xD8;
constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kApp1 = 0xE1;
// A JPEG has a few dozen segments before its scan; this bounds the walk on
// garbage that keeps looking like segments.
constexpr int kMaxSegments = 1024;

bool IsStandalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

bool CJpegExifBlock::Find(const ReadAt& read, std::vector<uint8_t>* block, uint64_t* block_offset) {
  uint8_t head[2] = {};
  if (!read(0, head, 2) || head[0] != 0xFF || head[1] != kStartOfImage) {
    return false;
  }
  uint64_t offset = 2;
  for (int segment = 0; segment < kMaxSegments; ++segment) {
    uint8_t marker[2] = {};
    if (!read(offset, marker, 2) || marker[0] != 0xFF) {
      return false;
    }
    if (marker[1] == 0xFF) {  // fill byte before a marker
      offset += 1;
      continue;
    }
    offset += 2;
    if (IsStandalone(marker[1])) {
      continue;
    }
    if (marker[1] == kStartOfScan || marker[1] == kEndOfImage || marker[1] == kStartOfImage) {
      return false;
    }
    uint8_t length_bytes[2] = {};
    if (!read(offset, length_bytes, 2)) {
      return false;
    }
    const size_t length = static_cast<size_t>(length_bytes[0] << 8 | length_bytes[1]);
    if (length < 2) {
      return false;
    }
    const size_t payload = length - 2;
    if (marker[1] == kApp1 && payload > 6) {
      uint8_t signature[6] = {};
      if (read(offset + 2, signature, 6) && std::memcmp(signature, "Exif\0", 5) == 0) {
        block->resize(payload - 6);
        if (block_offset) {
          *block_offset = offset + 8;
        }
        return read(offset + 8, block->data(), block->size());
      }
    }
    offset += length;
  }
  return false;
}

bool CJpegExifBlock::FindInMemory(const uint8_t* data, size_t size, std::vector<uint8_t>* block) {
  return Find(
      [data, size](uint64_t offset, void* buffer, size_t count) {
        if (!data || offset > size || count > size - offset) {
          return false;
        }
        std::memcpy(buffer, data + offset, count);
        return true;
      },
      block);
}
