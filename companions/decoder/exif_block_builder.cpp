#include "exif_block_builder.h"

#include <algorithm>

namespace {

constexpr uint16_t kExifPointer = 0x8769;
constexpr uint16_t kGpsPointer = 0x8825;
// Values longer than this are not metadata the viewer shows.
constexpr size_t kMaxValueBytes = 64 * 1024;

void Put16(std::vector<uint8_t>* out, uint16_t value) {
  out->push_back(static_cast<uint8_t>(value));
  out->push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    out->push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
}

}  // namespace

size_t CExifBlockBuilder::TypeSize(uint16_t type) {
  return type == kIfd ? 0 : CTiffTypes::TypeSize(type);
}

bool CExifBlockBuilder::Add(Directory directory, uint16_t tag, uint16_t type, uint32_t count,
                            std::vector<uint8_t> value) {
  const size_t unit = TypeSize(type);
  if (unit == 0 || count == 0 || value.size() / unit != count || value.size() % unit != 0 ||
      value.size() > kMaxValueBytes || tag == kExifPointer || tag == kGpsPointer ||
      Has(directory, tag)) {
    return false;
  }
  fields_[{directory, tag}] = Field{type, count, std::move(value)};
  return true;
}

bool CExifBlockBuilder::AddInOrder(Directory directory, uint16_t tag, uint16_t type, uint32_t count,
                                   const uint8_t* bytes, bool big_endian) {
  const size_t unit = TypeSize(type);
  if (unit == 0 || !bytes || count == 0 || count > kMaxValueBytes / unit) {
    return false;
  }
  std::vector<uint8_t> value(bytes, bytes + unit * count);
  // Rationals are two 4-byte halves, each turned on its own.
  const size_t swap = (type == kRational || type == kSignedRational) ? 4 : unit;
  if (big_endian && swap > 1) {
    for (size_t at = 0; at + swap <= value.size(); at += swap) {
      std::reverse(value.begin() + static_cast<ptrdiff_t>(at),
                   value.begin() + static_cast<ptrdiff_t>(at + swap));
    }
  }
  return Add(directory, tag, type, count, std::move(value));
}

bool CExifBlockBuilder::AddAscii(Directory directory, uint16_t tag, const std::string& text) {
  if (text.empty()) {
    return false;
  }
  std::vector<uint8_t> value(text.begin(), text.end());
  value.push_back(0);
  const uint32_t count = static_cast<uint32_t>(value.size());
  return Add(directory, tag, kAscii, count, std::move(value));
}

bool CExifBlockBuilder::AddShort(Directory directory, uint16_t tag, uint16_t value) {
  std::vector<uint8_t> bytes;
  Put16(&bytes, value);
  return Add(directory, tag, kShort, 1, std::move(bytes));
}

bool CExifBlockBuilder::AddRational(Directory directory, uint16_t tag, uint32_t numerator,
                                    uint32_t denominator) {
  std::vector<uint8_t> bytes;
  Put32(&bytes, numerator);
  Put32(&bytes, denominator);
  return Add(directory, tag, kRational, 1, std::move(bytes));
}

bool CExifBlockBuilder::Has(Directory directory, uint16_t tag) const {
  return fields_.count({directory, tag}) != 0;
}

std::vector<uint8_t> CExifBlockBuilder::Build() const {
  if (fields_.empty()) {
    return {};
  }
  struct Entry {
    uint16_t tag;
    const Field* field;
    uint32_t pointer;  // for the directory pointers, which have no field
  };
  std::vector<Entry> entries[3];
  for (const auto& [key, field] : fields_) {
    entries[key.first].push_back({key.second, &field, 0});
  }
  // Directory sizes: the entry table, then the values that do not fit an entry.
  auto directory_size = [](const std::vector<Entry>& list) {
    size_t size = 2 + 12 * list.size() + 4;
    for (const Entry& entry : list) {
      if (entry.field && entry.field->value.size() > 4) {
        size += (entry.field->value.size() + 1) & ~size_t{1};
      }
    }
    return size;
  };
  const bool has_exif = !entries[kExif].empty();
  const bool has_gps = !entries[kGps].empty();
  // The pointers are LONGs, which fit their entries: sizes are known first.
  size_t primary_size = directory_size(entries[kPrimary]) + 12 * (has_exif + has_gps);
  const uint32_t exif_offset = static_cast<uint32_t>(8 + primary_size);
  const uint32_t gps_offset =
      static_cast<uint32_t>(exif_offset + directory_size(entries[kExif]) * (has_exif ? 1 : 0));
  if (has_exif) {
    entries[kPrimary].push_back({kExifPointer, nullptr, exif_offset});
  }
  if (has_gps) {
    entries[kPrimary].push_back({kGpsPointer, nullptr, gps_offset});
  }
  for (auto& list : entries) {
    std::sort(list.begin(), list.end(),
              [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  }

  std::vector<uint8_t> block = {'I', 'I', 42, 0};
  Put32(&block, 8);
  for (int d = 0; d < 3; ++d) {
    const std::vector<Entry>& list = entries[d];
    if (d != kPrimary && list.empty()) {
      continue;
    }
    const size_t start = block.size();
    size_t data_at = start + 2 + 12 * list.size() + 4;
    std::vector<uint8_t> data;
    Put16(&block, static_cast<uint16_t>(list.size()));
    for (const Entry& entry : list) {
      Put16(&block, entry.tag);
      if (!entry.field) {
        Put16(&block, kLong);
        Put32(&block, 1);
        Put32(&block, entry.pointer);
        continue;
      }
      const Field& field = *entry.field;
      Put16(&block, field.type);
      Put32(&block, field.count);
      if (field.value.size() <= 4) {
        std::vector<uint8_t> inline_value = field.value;
        inline_value.resize(4, 0);
        block.insert(block.end(), inline_value.begin(), inline_value.end());
      } else {
        Put32(&block, static_cast<uint32_t>(data_at + data.size()));
        data.insert(data.end(), field.value.begin(), field.value.end());
        if (data.size() % 2) {
          data.push_back(0);
        }
      }
    }
    Put32(&block, 0);  // no further IFD
    block.insert(block.end(), data.begin(), data.end());
  }
  return block;
}
