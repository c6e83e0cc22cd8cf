#include "image/exif_parser.h"

namespace {

constexpr uint16_t kExifPointerTag = 34665;
constexpr uint16_t kGpsPointerTag = 34853;

}  // namespace

uint16_t CExifParser::Read16(const uint8_t* p) const {
  return big_endian_ ? static_cast<uint16_t>(p[0] << 8 | p[1])
                     : static_cast<uint16_t>(p[1] << 8 | p[0]);
}

uint32_t CExifParser::Read32(const uint8_t* p) const {
  return big_endian_ ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                     : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

uint64_t CExifParser::Read64(const uint8_t* p) const {
  const uint64_t first = Read32(p);
  const uint64_t second = Read32(p + 4);
  return big_endian_ ? (first << 32 | second) : (second << 32 | first);
}

bool CExifParser::Parse(const uint8_t* block, size_t size) {
  fields_.clear();
  block_ = block;
  size_ = size;
  if (!block || size < 8) {
    return false;
  }
  if (block[0] == 'I' && block[1] == 'I') {
    big_endian_ = false;
  } else if (block[0] == 'M' && block[1] == 'M') {
    big_endian_ = true;
  } else {
    return false;
  }
  if (Read16(block + 2) != 42) {
    return false;
  }
  const uint32_t primary_offset = Read32(block + 4);
  if (primary_offset < 8 || primary_offset > size - 2) {
    return false;
  }
  ReadDirectory(kPrimary, primary_offset);

  // Only IFD0 points onwards, so the walk is two levels deep and cannot
  // loop, whatever the pointers say.
  for (auto [tag, directory] : {std::pair{kExifPointerTag, kExif}, {kGpsPointerTag, kGps}}) {
    const Field* pointer = Find(kPrimary, tag);
    if (pointer && pointer->count >= 1 && (pointer->type == kLong || pointer->type == kIfd)) {
      ReadDirectory(directory, Read32(pointer->bytes.data()));
    }
  }
  block_ = nullptr;
  return true;
}

void CExifParser::ReadDirectory(Directory directory, uint32_t offset) {
  if (offset < 8 || offset > size_ - 2) {
    return;
  }
  const size_t entries_start = size_t{offset} + 2;
  const size_t room = (size_ - entries_start) / 12;
  size_t count = Read16(block_ + offset);
  if (count > room) {
    count = room;
  }
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = block_ + entries_start + i * 12;
    const uint16_t tag = Read16(entry);
    Field field;
    field.type = Read16(entry + 2);
    field.count = Read32(entry + 4);
    const size_t type_size = TypeSize(field.type);
    if (type_size == 0) {
      continue;
    }
    const uint64_t byte_count = uint64_t{type_size} * field.count;
    const uint8_t* data = entry + 8;
    if (byte_count > 4) {
      const uint32_t value_offset = Read32(entry + 8);
      if (byte_count > size_ || value_offset > size_ - byte_count) {
        continue;
      }
      data = block_ + value_offset;
    }
    field.bytes.assign(data, data + static_cast<size_t>(byte_count));
    field.value_offset = static_cast<uint32_t>(data - block_);
    fields_.emplace(std::make_pair(static_cast<int>(directory), tag), std::move(field));
  }
}

const CExifParser::Field* CExifParser::Find(Directory directory, uint16_t tag) const {
  const auto found = fields_.find(std::make_pair(static_cast<int>(directory), tag));
  return found == fields_.end() ? nullptr : &found->second;
}
