#include "image/jpeg_exif_carrier.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/exif_parser.h"

namespace {

constexpr uint16_t kOrientationTag = 274;
constexpr uint16_t kPixelXDimensionTag = 40962;
constexpr uint16_t kPixelYDimensionTag = 40963;
constexpr size_t kMaxSegmentLength = 0xFFFF;
constexpr size_t kTiffHeaderSize = 8;
const uint8_t kExifSignature[6] = {'E', 'x', 'i', 'f', 0, 0};

}  // namespace

bool CJpegExifCarrier::SetBlock(std::vector<uint8_t> block) {
  CExifParser parser;
  if (block.size() + sizeof(kExifSignature) + 2 > kMaxSegmentLength ||
      !parser.Parse(block.data(), block.size())) {
    block_.clear();
    return false;
  }
  block_ = std::move(block);
  big_endian_ = parser.big_endian();
  return true;
}

uint16_t CJpegExifCarrier::Read16(size_t offset) const {
  const uint8_t* p = block_.data() + offset;
  return big_endian_ ? static_cast<uint16_t>(p[0] << 8 | p[1])
                     : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

uint32_t CJpegExifCarrier::Read32(size_t offset) const {
  const uint8_t* p = block_.data() + offset;
  return big_endian_ ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                     : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

void CJpegExifCarrier::Write16(size_t offset, uint16_t value) {
  uint8_t* p = block_.data() + offset;
  p[big_endian_ ? 0 : 1] = static_cast<uint8_t>(value >> 8);
  p[big_endian_ ? 1 : 0] = static_cast<uint8_t>(value);
}

void CJpegExifCarrier::Write32(size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    const int shift = big_endian_ ? 24 - 8 * i : 8 * i;
    block_[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> shift);
  }
}

void CJpegExifCarrier::SetOrientation(int orientation) {
  CExifParser parser;
  if (block_.empty() || !parser.Parse(block_.data(), block_.size())) {
    return;
  }
  const CExifParser::Field* field = parser.Find(CExifParser::kPrimary, kOrientationTag);
  if (!field || field->type != CExifParser::kShort || field->count < 1) {
    return;
  }
  // More than two values are kept outside the entry, where a damaged block
  // can point them at its own header or IFD0's table: rewriting those would
  // lose the whole block, so such a value is left as it is.
  const size_t at = field->value_offset;
  if (field->count > 2) {
    const uint32_t primary = Read32(4);
    const size_t table_end = size_t{primary} + 2 + size_t{Read16(primary)} * 12 + 4;
    if (at < kTiffHeaderSize || (at + 2 > primary && at < table_end)) {
      return;
    }
  }
  Write16(at, static_cast<uint16_t>(orientation));
}

void CJpegExifCarrier::MarkPixelsTurnedUpright(bool axes_swapped) {
  SetOrientation(1);
  CExifParser parser;
  if (block_.empty() || !parser.Parse(block_.data(), block_.size())) {
    return;
  }
  // The next-directory link after IFD0 leads to the thumbnail's IFD1.
  const uint32_t primary = Read32(4);
  if (size_t{primary} + 2 <= block_.size()) {
    const size_t link = size_t{primary} + 2 + size_t{Read16(primary)} * 12;
    if (link + 4 <= block_.size()) {
      Write32(link, 0);
    }
  }
  if (!axes_swapped) {
    return;
  }
  const CExifParser::Field* x = parser.Find(CExifParser::kExif, kPixelXDimensionTag);
  const CExifParser::Field* y = parser.Find(CExifParser::kExif, kPixelYDimensionTag);
  if (x && y && x->type == y->type && x->count == 1 && y->count == 1 &&
      (x->type == CExifParser::kShort || x->type == CExifParser::kLong)) {
    const size_t size = CExifParser::TypeSize(x->type);
    std::swap_ranges(block_.begin() + x->value_offset, block_.begin() + x->value_offset + size,
                     block_.begin() + y->value_offset);
  }
}

void CJpegExifCarrier::SetPixelSize(uint32_t width, uint32_t height) {
  CExifParser parser;
  if (block_.empty() || !parser.Parse(block_.data(), block_.size())) {
    return;
  }
  const std::pair<uint16_t, uint32_t> tags[] = {{kPixelXDimensionTag, width},
                                                {kPixelYDimensionTag, height}};
  for (const auto& tag : tags) {
    const CExifParser::Field* field = parser.Find(CExifParser::kExif, tag.first);
    if (!field || field->count != 1) {
      continue;
    }
    if (field->type == CExifParser::kShort && tag.second <= 0xFFFF) {
      Write16(field->value_offset, static_cast<uint16_t>(tag.second));
    } else if (field->type == CExifParser::kLong) {
      Write32(field->value_offset, tag.second);
    }
  }
}

bool CJpegExifCarrier::InsertSegment(std::vector<uint8_t>* jpeg,
                                     const std::vector<uint8_t>& block) {
  const size_t length = 2 + sizeof(kExifSignature) + block.size();
  if (!jpeg || jpeg->size() < 4 || (*jpeg)[0] != 0xFF || (*jpeg)[1] != 0xD8 ||
      length > kMaxSegmentLength || block.empty()) {
    return false;
  }
  size_t at = 2;
  if ((*jpeg)[2] == 0xFF && (*jpeg)[3] == 0xE0 && jpeg->size() >= 6) {
    const size_t app0 = size_t{(*jpeg)[4]} << 8 | (*jpeg)[5];
    if (app0 >= 2 && 4 + app0 <= jpeg->size()) {
      at = 2 + 2 + app0;
    }
  }
  std::vector<uint8_t> segment = {0xFF, 0xE1, static_cast<uint8_t>(length >> 8),
                                  static_cast<uint8_t>(length)};
  segment.insert(segment.end(), kExifSignature, kExifSignature + sizeof(kExifSignature));
  segment.insert(segment.end(), block.begin(), block.end());
  jpeg->insert(jpeg->begin() + static_cast<std::ptrdiff_t>(at), segment.begin(), segment.end());
  return true;
}
