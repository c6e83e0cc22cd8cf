#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "image/tiff_types.h"

// PROPVARIANT, without the platform headers: the parsing builds anywhere.
struct tagPROPVARIANT;

// The TIFF structure of an EXIF block: IFD0 and, through their pointer tags,
// the Exif and GPS IFDs, in either byte order. Every offset and count is
// checked against the block; entries that do not fit are skipped.
class CExifParser : public CTiffTypes {
 public:
  struct Field {
    uint16_t type = 0;
    uint32_t count = 0;
    std::vector<uint8_t> bytes;  // count values in the block's byte order
    uint32_t value_offset = 0;   // where those bytes start in the block
  };

  // block starts at the TIFF header ("II*\0" or "MM\0*"). False when the
  // header or IFD0 is unusable; the fields found so far are kept otherwise.
  bool Parse(const uint8_t* block, size_t size);

  const Field* Find(Directory directory, uint16_t tag) const;
  bool big_endian() const { return big_endian_; }

  // The variant the platform's metadata reader gives for such a field:
  // SHORT as VT_UI2, LONG as VT_UI4, RATIONAL as VT_UI8 with the numerator in
  // the low half, SRATIONAL as VT_I8, ASCII as VT_LPSTR, UNDEFINED as VT_BLOB,
  // more than one value as a vector. False for an unknown type.
  bool ToPropVariant(const Field& field, tagPROPVARIANT* out) const;

 private:
  void ReadDirectory(Directory directory, uint32_t offset);
  uint16_t Read16(const uint8_t* p) const;
  uint32_t Read32(const uint8_t* p) const;
  uint64_t Read64(const uint8_t* p) const;

  const uint8_t* block_ = nullptr;
  size_t size_ = 0;
  bool big_endian_ = false;
  std::map<std::pair<int, uint16_t>, Field> fields_;
};
