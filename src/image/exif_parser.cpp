#include "image/exif_parser.h"

#include <objbase.h>

#include <cstring>
#include <type_traits>

namespace {

constexpr uint16_t kExifPointerTag = 34665;
constexpr uint16_t kGpsPointerTag = 34853;

// Allocates a vector variant's elements with the task allocator, as
// PropVariantClear expects.
template <class Element, class Vector>
bool AllocateVector(Vector& vector, uint32_t count) {
  vector.cElems = count;
  vector.pElems = nullptr;
  if (count == 0) {
    return true;
  }
  vector.pElems = static_cast<Element*>(CoTaskMemAlloc(sizeof(Element) * count));
  return vector.pElems != nullptr;
}

}  // namespace

size_t CExifParser::TypeSize(uint16_t type) {
  switch (type) {
    case kByte:
    case kAscii:
    case kSignedByte:
    case kUndefined:
      return 1;
    case kShort:
    case kSignedShort:
      return 2;
    case kLong:
    case kSignedLong:
    case kFloat:
    case kIfd:
      return 4;
    case kRational:
    case kSignedRational:
    case kDouble:
      return 8;
    default:
      return 0;
  }
}

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

bool CExifParser::ToPropVariant(const Field& field, PROPVARIANT* out) const {
  PropVariantInit(out);
  const uint8_t* p = field.bytes.data();
  const uint32_t n = field.count;
  const bool vector = n != 1;
  switch (field.type) {
    case kAscii: {
      // Up to the first zero; the count need not include it.
      size_t length = 0;
      while (length < field.bytes.size() && p[length] != 0) {
        ++length;
      }
      char* text = static_cast<char*>(CoTaskMemAlloc(length + 1));
      if (!text) {
        return false;
      }
      std::memcpy(text, p, length);
      text[length] = '\0';
      out->vt = VT_LPSTR;
      out->pszVal = text;
      return true;
    }
    case kUndefined: {
      out->vt = VT_BLOB;
      out->blob.cbSize = n;
      out->blob.pBlobData = n ? static_cast<BYTE*>(CoTaskMemAlloc(n)) : nullptr;
      if (n && !out->blob.pBlobData) {
        out->vt = VT_EMPTY;
        return false;
      }
      if (n) {
        std::memcpy(out->blob.pBlobData, p, n);
      }
      return true;
    }
    case kByte:
    case kSignedByte: {
      const VARTYPE type = field.type == kByte ? VT_UI1 : VT_I1;
      if (!vector) {
        out->vt = type;
        out->bVal = p[0];
        return true;
      }
      if (!AllocateVector<UCHAR>(out->caub, n)) return false;
      out->vt = VT_VECTOR | type;
      if (n) std::memcpy(out->caub.pElems, p, n);
      return true;
    }
    case kShort:
    case kSignedShort: {
      const VARTYPE type = field.type == kShort ? VT_UI2 : VT_I2;
      if (!vector) {
        out->vt = type;
        out->uiVal = Read16(p);
        return true;
      }
      if (!AllocateVector<USHORT>(out->caui, n)) return false;
      out->vt = VT_VECTOR | type;
      for (uint32_t i = 0; i < n; ++i) out->caui.pElems[i] = Read16(p + 2 * i);
      return true;
    }
    case kLong:
    case kSignedLong:
    case kIfd: {
      const VARTYPE type = field.type == kSignedLong ? VT_I4 : VT_UI4;
      if (!vector) {
        out->vt = type;
        out->ulVal = Read32(p);
        return true;
      }
      if (!AllocateVector<ULONG>(out->caul, n)) return false;
      out->vt = VT_VECTOR | type;
      for (uint32_t i = 0; i < n; ++i) out->caul.pElems[i] = Read32(p + 4 * i);
      return true;
    }
    case kRational:
    case kSignedRational: {
      // Numerator in the low half, denominator in the high half.
      auto packed = [&](uint32_t i) {
        return uint64_t{Read32(p + 8 * i + 4)} << 32 | Read32(p + 8 * i);
      };
      const VARTYPE type = field.type == kRational ? VT_UI8 : VT_I8;
      if (!vector) {
        out->vt = type;
        out->uhVal.QuadPart = packed(0);
        return true;
      }
      if (!AllocateVector<ULARGE_INTEGER>(out->cauh, n)) return false;
      out->vt = VT_VECTOR | type;
      for (uint32_t i = 0; i < n; ++i) out->cauh.pElems[i].QuadPart = packed(i);
      return true;
    }
    case kFloat: {
      auto value = [&](uint32_t i) {
        const uint32_t bits = Read32(p + 4 * i);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
      };
      if (!vector) {
        out->vt = VT_R4;
        out->fltVal = value(0);
        return true;
      }
      if (!AllocateVector<FLOAT>(out->caflt, n)) return false;
      out->vt = VT_VECTOR | VT_R4;
      for (uint32_t i = 0; i < n; ++i) out->caflt.pElems[i] = value(i);
      return true;
    }
    case kDouble: {
      auto value = [&](uint32_t i) {
        const uint64_t bits = Read64(p + 8 * i);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
      };
      if (!vector) {
        out->vt = VT_R8;
        out->dblVal = value(0);
        return true;
      }
      if (!AllocateVector<DOUBLE>(out->cadbl, n)) return false;
      out->vt = VT_VECTOR | VT_R8;
      for (uint32_t i = 0; i < n; ++i) out->cadbl.pElems[i] = value(i);
      return true;
    }
    default:
      return false;
  }
}
